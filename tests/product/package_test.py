#!/usr/bin/env python3
"""The release package, built by tools/package.py into a fresh folder and unpacked again.

    tests/product/package_test.py DIST [--demo]

Checks the list of files, the checksums of SHA256SUMS, that the library inside is byte for
byte DIST/Trazel32.dll and that only 32-bit binaries ship. With --demo the unpacked folder runs
"trazelplay --demo" under wine64 from another current folder, with the x86_64 build put in
place of the 32-bit binaries (this machine runs no 32-bit code): the demo must find its files
in the package's own demo folder.
"""
import hashlib
import os
import struct
import subprocess
import sys
import tempfile
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FILES = ["Trazel32.dll", "trazelplay32.exe", "demo/engine-map.txt", "demo/engine-map.wmf",
         "demo/engine-curves.csv", "INSTALL.txt", "LICENSE.txt", "THIRD-PARTY-NOTICES.txt",
         "CHANGELOG.md"]
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def machine(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    return struct.unpack_from("<H", data, pe + 4)[0] if data[pe:pe + 4] == b"PE\0\0" else None


def package(dist, out):
    run = subprocess.run([sys.executable, os.path.join(ROOT, "tools", "package.py"),
                          "--dist", dist, "--out", out], capture_output=True, text=True)
    print(run.stdout + run.stderr, end="")
    if run.returncode != 0:
        sys.exit("FAIL tools/package.py ended with status %d" % run.returncode)
    archives = [n for n in os.listdir(out) if n.endswith(".zip")]
    if len(archives) != 1:
        sys.exit("FAIL expected one archive, found %s" % archives)
    return os.path.join(out, archives[0])


def check_contents(archive, dist):
    folder = os.path.basename(archive)[:-len(".zip")]
    check(folder.startswith("Trazel-") and folder.endswith("-win32"), "archive name " + folder)
    with zipfile.ZipFile(archive) as z:
        check(z.testzip() is None, "archive reads back without a CRC error")
        names = z.namelist()
        check(names == [folder + "/" + n for n in FILES], "files: %s" % names)
        content = {n[len(folder) + 1:]: z.read(n) for n in names}
    with open(os.path.join(dist, "Trazel32.dll"), "rb") as f:
        check(content.get("Trazel32.dll") == f.read(),
              "Trazel32.dll is byte for byte dist/Trazel32.dll")
    for name in ("Trazel32.dll", "trazelplay32.exe"):
        check(machine(content.get(name, b"MZ" + b"\0" * 64)) == 0x14C, name + " is 32-bit x86")
    for name in FILES[2:5]:
        with open(os.path.join(ROOT, name), "rb") as f:
            check(content.get(name) == f.read(), name + " as in the repository")
    with open(os.path.join(ROOT, "LICENSE"), "rb") as f:
        check(content.get("LICENSE.txt", b"").replace(b"\r\n", b"\n") == f.read(),
              "LICENSE.txt is the repository's LICENSE")
    install = content.get("INSTALL.txt", b"").decode("utf-8-sig")
    version = folder.split("-")[1]
    check("Installation prüfen" in install and "Checking the installation" in install and
          "@VERSION@" not in install and version in install,
          "INSTALL.txt: German and English, version " + version)
    notices = content.get("THIRD-PARTY-NOTICES.txt", b"").decode("utf-8")
    check("MinGW-w64" in notices and "winpthreads" in notices and "Lockless" in notices,
          "THIRD-PARTY-NOTICES.txt holds the runtime's and the thread library's notices")
    return folder, content


def check_sums(archive, folder, content):
    with open(archive, "rb") as f:
        expected = {folder + ".zip": hashlib.sha256(f.read()).hexdigest()}
    for name, data in content.items():
        expected[folder + "/" + name] = hashlib.sha256(data).hexdigest()
    listed = {}
    with open(os.path.join(os.path.dirname(archive), "SHA256SUMS"), encoding="ascii") as f:
        for line in f:
            digest, name = line.rstrip("\n").split("  ", 1)
            listed[name] = digest
    check(listed == expected, "SHA256SUMS lists the archive and every file with its SHA-256")


def check_demo(archive, folder, dist, tmp):
    with zipfile.ZipFile(archive) as z:
        z.extractall(tmp)
    unpacked = os.path.join(tmp, folder)
    for name in ("Trazel32.dll", "trazelplay32.exe"):
        os.remove(os.path.join(unpacked, name))
    for name in ("Trazel64.dll", "trazelplay64.exe"):
        with open(os.path.join(dist, name), "rb") as src, \
                open(os.path.join(unpacked, name), "wb") as dst:
            dst.write(src.read())
    elsewhere = os.path.join(tmp, "elsewhere")
    os.mkdir(elsewhere)
    picture = os.path.join(elsewhere, "check.png")
    run = subprocess.run([os.path.join(ROOT, "tools", "wine-run"),
                          os.path.join(unpacked, "trazelplay64.exe"), "--demo", "--size",
                          "840x560", "--out", "check.png"],
                         cwd=elsewhere, capture_output=True, text=True, timeout=240)
    print(run.stdout + run.stderr, end="")
    # The summary line is a message, so it goes to the error stream like every other.
    check(run.returncode == 0 and "saved" in run.stderr, "trazelplay --demo from the unpacked "
          "folder ends with status 0 (status %d)" % run.returncode)
    width = 0
    if os.path.isfile(picture):
        with open(picture, "rb") as f:
            head = f.read(24)
        width = struct.unpack(">I", head[16:20])[0] if head[:8] == b"\x89PNG\r\n\x1a\n" else 0
    check(width == 840, "the demo's picture is the 840 pixels wide window (width %d)" % width)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    dist = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory(prefix="trazel-package-") as tmp:
        archive = package(dist, os.path.join(tmp, "out"))
        folder, content = check_contents(archive, dist)
        check_sums(archive, folder, content)
        if "--demo" in sys.argv[2:]:
            check_demo(archive, folder, dist, os.path.join(tmp, "unpacked"))
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
