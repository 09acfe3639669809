#!/usr/bin/env python3
"""The release package: dist/Trazel-<version>-win32.zip and dist/SHA256SUMS.

    tools/package.py [--dist DIR] [--out DIR]

Takes the 32-bit product from DIST (default dist/; ./run package builds it first) and the
texts and demo files from the repository. The archive holds one folder, Trazel-<version>-win32/,
with the block library, trazelplay32.exe, the demo's files in demo/ (so that
"trazelplay32.exe --demo" runs from the unpacked folder), the installation notes in German and
English, the licence, the third-party notices and the changelog. SHA256SUMS lists the archive
and every file in it. The 64-bit test build is never packaged.
"""
import argparse
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEMO_FILES = ["engine-map.txt", "engine-map.wmf", "engine-curves.csv"]
I386 = 0x14C


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        m = re.search(r"^project\(Trazel VERSION ([0-9]+\.[0-9]+\.[0-9]+)", f.read(), re.M)
    if not m:
        sys.exit("package: no project version in CMakeLists.txt")
    return m.group(1)


def pe_machine(path):
    """The machine field of a PE file, or None when it is no PE file."""
    with open(path, "rb") as f:
        head = f.read(4096)
    if len(head) < 64 or head[:2] != b"MZ":
        return None
    pe = struct.unpack_from("<I", head, 0x3C)[0]
    if pe + 6 > len(head) or head[pe:pe + 4] != b"PE\0\0":
        return None
    return struct.unpack_from("<H", head, pe + 4)[0]


def read_text(relative):
    with open(os.path.join(ROOT, relative), encoding="utf-8") as f:
        return f.read()


def windows_text(text, bom=False):
    """A text for Windows editors: CRLF line ends, UTF-8 (with a byte order mark for the
    German umlauts of the installation notes in older editors)."""
    data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
    return (b"\xef\xbb\xbf" + data) if bom else data


def stripped_copy(exe, tmp):
    """trazelplay32.exe without its debug information (the build keeps it for debugging)."""
    out = os.path.join(tmp, os.path.basename(exe))
    strip = shutil.which("i686-w64-mingw32-strip")
    if not strip:
        sys.exit("package: i686-w64-mingw32-strip is missing (package binutils-mingw-w64-i686)")
    subprocess.run([strip, "--strip-all", "-o", out, exe], check=True)
    with open(out, "rb") as f:
        return f.read()


def contents(dist, version, tmp):
    """(name in the folder, bytes, executable) of every file of the package."""
    dll = os.path.join(dist, "Trazel32.dll")
    exe = os.path.join(dist, "trazelplay32.exe")
    for path in (dll, exe):
        if not os.path.isfile(path):
            sys.exit(f"package: {path} is missing (./run build makes it)")
        if pe_machine(path) != I386:
            sys.exit(f"package: {path} is no 32-bit x86 binary; only the product is packaged")
    with open(dll, "rb") as f:
        files = [("Trazel32.dll", f.read(), True)]
    files.append(("trazelplay32.exe", stripped_copy(exe, tmp), True))
    for name in DEMO_FILES:
        with open(os.path.join(ROOT, "demo", name), "rb") as f:
            files.append(("demo/" + name, f.read(), False))
    install = read_text("docs/install-de.txt") + "\n\n" + read_text("docs/install-en.txt")
    files.append(("INSTALL.txt", windows_text(install.replace("@VERSION@", version), bom=True),
                  False))
    files.append(("LICENSE.txt", windows_text(read_text("LICENSE")), False))
    files.append(("THIRD-PARTY-NOTICES.txt", windows_text(read_text("THIRD-PARTY-NOTICES.txt")),
                  False))
    files.append(("CHANGELOG.md", windows_text(read_text("CHANGELOG.md")), False))
    return files


def write_zip(path, folder, files, stamp):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name, data, executable in files:
            info = zipfile.ZipInfo(f"{folder}/{name}", date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = (0o100755 if executable else 0o100644) << 16
            info.create_system = 3
            z.writestr(info, data)


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dist", default=os.path.join(ROOT, "dist"))
    parser.add_argument("--out", default=None, help="folder of the archive (default: DIST)")
    args = parser.parse_args()
    out = args.out or args.dist
    version = project_version()
    folder = f"Trazel-{version}-win32"
    archive = os.path.join(out, folder + ".zip")
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        files = contents(args.dist, version, tmp)
    # Every entry carries the time of the library it ships, so that the same build packs the
    # same archive.
    stamp = time.localtime(os.path.getmtime(os.path.join(args.dist, "Trazel32.dll")))[:6]
    write_zip(archive + ".tmp", folder, files, stamp)
    os.replace(archive + ".tmp", archive)
    with open(archive, "rb") as f:
        lines = [f"{sha256(f.read())}  {folder}.zip"]
    lines += [f"{sha256(data)}  {folder}/{name}" for name, data, _ in files]
    with open(os.path.join(out, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    size = os.path.getsize(archive)
    print(f"package: {archive} ({size} bytes, {len(files)} files)")
    for name, data, _ in files:
        print(f"  {len(data):>9}  {folder}/{name}")
    print(f"package: {os.path.join(out, 'SHA256SUMS')}")


if __name__ == "__main__":
    main()
