#!/usr/bin/env python3
"""Lists every place where a tracked file names a path outside the checkout.

    tools/outside-paths.py [REPOSITORY]

Looks in every tracked text file for
  - relative paths whose ".." steps climb above the repository, counted from the file's own
    folder, or from the repository's root where the path starts at a root variable
    (CMAKE_SOURCE_DIR, PROJECT_SOURCE_DIR, ROOT);
  - the sibling folder "shared" beside the repository, however it is reached;
  - absolute paths into users' and machines' own folders (/home, /root, /work, /mnt, /media,
    /srv, /opt) and the checkout's own absolute path.
System paths (/usr, /etc, /tmp, /proc, /dev) name installed tools and are allowed.
Prints "FILE:LINE: TEXT" for each and exits 1 when there is any.
"""
import os
import re
import subprocess
import sys

UPS = re.compile(rb"(?<![A-Za-z0-9_.])((?:\.\.[/\\]+)*\.\.)(?![A-Za-z0-9_.])")
ROOT_VARIABLE = re.compile(rb"(CMAKE_SOURCE_DIR|PROJECT_SOURCE_DIR|ROOT)[}@\"']*[/\\]+$")
ABSOLUTE = re.compile(rb"(?<![A-Za-z0-9_.~$}@-])/(home|root|work|mnt|media|srv|opt)/")
SHARED = re.compile(rb"\.\.[/\\]+shared\b")


def tracked_files(root):
    out = subprocess.run(["git", "-C", root, "ls-files", "-z"], check=True,
                         capture_output=True).stdout
    return [name for name in out.decode("utf-8").split("\0") if name]


def findings(root, name):
    try:
        with open(os.path.join(root, name), "rb") as f:
            data = f.read()
    except OSError:
        return
    if b"\0" in data[:8192]:
        return  # binary
    depth = name.count("/")
    here = os.path.abspath(root).encode("utf-8")
    for m in UPS.finditer(data):
        before = data[max(0, m.start() - 40):m.start()]
        start = 0 if ROOT_VARIABLE.search(before) else depth
        if m.group(1).count(b"..") > start:
            yield m.start(), "climbs out of the repository"
    for pattern, why in ((SHARED, "names the sibling folder shared beside the repository"),
                         (ABSOLUTE, "names an absolute path outside the system's folders"),
                         (re.compile(re.escape(here) + rb"\b"), "names the checkout's own path")):
        for m in pattern.finditer(data):
            yield m.start(), why


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(
        os.path.dirname(os.path.abspath(__file__)))
    count = 0
    for name in tracked_files(root):
        with open(os.path.join(root, name), "rb") as f:
            data = f.read() if os.path.isfile(os.path.join(root, name)) else b""
        for offset, why in findings(root, name):
            line = data.count(b"\n", 0, offset) + 1
            start = data.rfind(b"\n", 0, offset) + 1
            end = data.find(b"\n", offset)
            text = data[start:end if end >= 0 else len(data)].decode("utf-8", "replace").strip()
            print(f"{name}:{line}: {why}: {text[:120]}")
            count += 1
    print(f"outside-paths: {count} paths outside the checkout")
    return 1 if count else 0


if __name__ == "__main__":
    sys.exit(main())
