#!/usr/bin/env python3
"""The release zip holds exactly what a player needs, in the form Windows
expects: the program needing nothing but Windows' own DLLs, the sound tree
with its ten category folders (our sound in 効果音), the download page, the
guide as UTF-8 with BOM and CR LF, our licence, and the linked libraries'
licence texts byte for byte as their Debian sources carry them."""
import argparse
import glob
import re
import subprocess
import sys
import zipfile

# DLLs that every Windows 10 and 11 installation has in its system folder.
WINDOWS_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "gdiplus.dll", "imm32.dll",
    "kernel32.dll", "msimg32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll",
    "shlwapi.dll", "user32.dll", "uxtheme.dll", "winmm.dll", "winspool.drv", "version.dll",
    "dwmapi.dll", "shcore.dll", "ws2_32.dll", "bcrypt.dll", "crypt32.dll", "ntdll.dll",
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def main():
    p = argparse.ArgumentParser()
    for name in ("zip", "objdump", "source", "deps", "exe"):
        p.add_argument("--" + name, required=True)
    a = p.parse_args()

    z = zipfile.ZipFile(a.zip)
    names = z.namelist()
    check(z.testzip() is None, "a member of the zip is damaged")

    header = open(f"{a.source}/src/sound/SoundCategories.h", encoding="utf-8").read()
    block = re.search(r"kCategoryFolders\s*=\s*\{(.*?)\};", header, re.S).group(1)
    categories = re.findall(r'L"([^"]+)"', block)
    check(len(categories) == 10, f"the program names {len(categories)} sound categories")

    expected = {"Mirulo.exe", "Mirulo_撮影音.html", "使い方.txt", "LICENSE.txt", "mp3/",
                "mp3/効果音/シャッター.mp3", "licenses/zlib.txt", "licenses/libdeflate.txt",
                "licenses/libjpeg-turbo.txt", "licenses/libjpeg-turbo-README.ijg.txt"}
    expected |= {f"mp3/{c}/" for c in categories}
    check(set(names) == expected,
          f"zip members differ: missing {sorted(expected - set(names))}, extra {sorted(set(names) - expected)}")
    for info in z.infolist():
        if any(ord(c) > 127 for c in info.filename):
            check(info.flag_bits & 0x800, f"{info.filename}: no UTF-8 name flag, Windows would garble it")

    # Statically linked: the program must start on a bare Windows.
    exe = z.read("Mirulo.exe")
    check(exe == open(a.exe, "rb").read(), "Mirulo.exe in the zip is not the one built")
    out = subprocess.run([a.objdump, "-p", a.exe], capture_output=True, text=True, check=True).stdout
    dlls = [d.lower() for d in re.findall(r"DLL Name: (\S+)", out)]
    check(dlls, "objdump lists no imports at all")
    check("kernel32.dll" in dlls, "no import of KERNEL32.dll: objdump's output was not understood")
    for dll in dlls:
        check(dll in WINDOWS_DLLS, f"Mirulo.exe imports {dll}, which Windows does not ship")
    # It runs as administrator: a DLL imported in the ordinary way is looked for
    # beside it first unless Windows knows it by name, so all but these two are
    # delay-loaded from the system folder.
    for dll in dlls:
        check(dll in ("kernel32.dll", "msvcrt.dll"),
              f"Mirulo.exe imports {dll} at load time, before it can keep the search to the system folder")

    mp3 = z.read("mp3/効果音/シャッター.mp3")
    check(mp3[:3] == b"ID3" or (mp3[0] == 0xFF and mp3[1] & 0xE0 == 0xE0), "the shutter sound is not an MP3 file")
    check(b"</html>" in z.read("Mirulo_撮影音.html").lower(), "the download page is not a whole HTML page")

    guide = z.read("使い方.txt")
    check(guide.startswith(b"\xef\xbb\xbf"), "使い方.txt has no UTF-8 byte-order mark")
    check(guide.count(b"\n") == guide.count(b"\r\n") and guide.count(b"\r") == guide.count(b"\r\n"),
          "使い方.txt has line ends other than CR LF")
    text = guide[3:].decode("utf-8")
    for needed in ("ホットキー", "固定範囲", "指定範囲", "全画面", "Mirulo.exe_ユーザー設定.ini",
                   "保存先フォルダ", "アンインストール", "Windows起動時に自動実行する", "フォルダごと削除",
                   "Independent JPEG Group"):
        check(needed in text, f"使い方.txt does not mention {needed}")

    ours = z.read("LICENSE.txt").replace(b"\r\n", b"\n")
    check(ours == open(f"{a.source}/LICENSE", "rb").read(), "LICENSE.txt is not the repository's LICENSE")
    check(ours.startswith(b"MIT License"), "our licence is not the MIT licence")

    def source(pattern):
        found = glob.glob(f"{a.deps}/{pattern}")
        check(len(found) == 1, f"{pattern}: {len(found)} files in the Debian sources")
        return open(found[0], "rb").read() if found else b""

    licences = {
        "licenses/zlib.txt": (source("zlib-src/*/LICENSE"), b"Jean-loup Gailly"),
        "licenses/libdeflate.txt": (source("libdeflate-src/*/COPYING"), b"Permission is hereby granted"),
        "licenses/libjpeg-turbo.txt": (source("libjpeg-turbo-src/*/LICENSE.md"),
                                       b"Modified (3-clause) BSD License"),
        "licenses/libjpeg-turbo-README.ijg.txt": (source("libjpeg-turbo-src/*/README.ijg"),
                                                  b"Independent JPEG Group"),
    }
    for member, (original, marker) in licences.items():
        shipped = z.read(member)
        check(shipped == original, f"{member} differs from the Debian source's text")
        check(marker in shipped, f"{member} lacks {marker.decode()}")

    for f in failures:
        print("release_package:", f)
    print(f"release_package: {len(failures)} problems")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
