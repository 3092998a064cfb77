#!/usr/bin/env python3
"""Checks the shipped executables as files: 32-bit GUI PE, system DLLs only,
each import one that Windows XP SP3 exports, a header and a manifest that XP
accepts, size, icon images and version record. Uses binutils and icoutils.

usage: check_binaries.py Quorrin.exe Brakkon.exe
"""
import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ole32.dll",
               "oleaut32.dll", "shell32.dll", "comctl32.dll", "msvcrt.dll"}
MAX_BYTES = 300 * 1024
XP_EXPORTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "xp_exports")
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
DPI_AWARE = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware"
DPI_AWARENESS = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness"
# The dpiAwareness values that Windows 10 1607 knows; 1703 and later know
# permonitorv2 as well. Each takes the first value of the list that it knows.
KNOWN_1607 = ("unaware", "system", "permonitor")
# Vista, 7, 8, 8.1, and 10 and 11: without its own, a system treats the
# program as one made for the latest listed before it.
SUPPORTED_OS = ("{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}")

QUORRIN = {
    "icons": sorted((s, d) for s in (16, 24, 32, 48) for d in (4, 8, 32)),
    "ordered": False,
    "version": (1, 0, 0, 5),
    "strings": {
        "FileVersion": "1.00.0005", "ProductVersion": "1.00.0005",
        "ProductName": "Quorrin", "InternalName": "Quorrin",
        "Comments": "Against Porn Atacks!", "LegalTrademarks": "100% Freeware",
        "FileDescription": "Quorrin , will close all the internet windows that are open or "
                           "opening. This is mostly for 'background' sites that opens alot of "
                           "webpages, that install toolbars and spyware that may damage your "
                           "system.",
    },
}
BRAKKON = {
    "icons": [(32, 4), (16, 4), (32, 8), (16, 8), (48, 32), (32, 32), (16, 32)],
    "ordered": True,
    "version": (1, 0, 0, 4),
    "strings": {
        "FileVersion": "1.00.0004", "ProductVersion": "1.00.0004", "ProductName": "Brakkon",
        "InternalName": "Brakkon", "FileDescription": "Brakkon", "Comments": "Brakkon",
        "LegalTrademarks": "Freeware",
    },
}

failures = []
checks = 0


def check(ok, what):
    global checks
    checks += 1
    if not ok:
        failures.append(what)


def run(*args):
    return subprocess.run(args, check=True, capture_output=True).stdout


def resource(exe, rtype, workdir):
    out = os.path.join(workdir, f"{os.path.basename(exe)}.{rtype}")
    run("wrestool", "-x", "--raw", f"--type={rtype}", "-o", out, exe)
    with open(out, "rb") as f:
        return f.read()


def parse_version(block, offset=0):
    """One VS_VERSIONINFO node: (key, value bytes, value length, children)."""
    length, value_length, vtype = struct.unpack_from("<HHH", block, offset)
    end = offset + length
    pos = offset + 6
    key_end = pos
    while block[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = block[pos:key_end].decode("utf-16-le")
    pos = (key_end + 2 + 3) & ~3
    size = value_length * 2 if vtype == 1 else value_length
    value = block[pos:pos + size]
    pos = (pos + size + 3) & ~3
    children = []
    while pos < end:
        child, child_end = parse_version(block, pos)
        children.append(child)
        pos = (child_end + 3) & ~3
    return (key, value, vtype, children), end


def version_strings(node, found):
    key, value, vtype, children = node
    if vtype == 1 and not children:
        found[key] = value.decode("utf-16-le")
    for child in children:
        version_strings(child, found)
    return found


def imports(dump):
    """{dll: [function, ...]} from objdump's import tables."""
    found = {}
    for table in re.split(r"\n\s*DLL Name: ", dump)[1:]:
        dll, _, rows = table.partition("\n")
        names = re.findall(r"^\s+[0-9a-f]+\s+\d+\s+(\S+)\s*$", rows.split("\n\n")[0], re.M)
        found.setdefault(dll.strip().lower(), []).extend(names)
    return found


def check_xp_imports(name, dump):
    """XP's loader refuses to start a file that imports a function its DLLs lack."""
    for dll, functions in imports(dump).items():
        path = os.path.join(XP_EXPORTS, dll.removesuffix(".dll") + ".txt")
        if not os.path.exists(path):
            check(False, f"{name}: no list of what XP's {dll} exports")
            continue
        with open(path) as f:
            exported = set(f.read().split())
        for function in functions:
            check(function in exported, f"{name}: imports {dll}!{function}, which XP lacks")


def header_field(dump, field):
    return int(re.search(rf"^{field}\s+(\S+)", dump, re.M).group(1), 16)


def check_xp_header(name, dump):
    """XP (5.1) refuses a file made for a later subsystem, and a load
    configuration whose directory entry is not 64 bytes long."""
    for field in ("MajorSubsystemVersion", "MajorOSystemVersion"):
        minor = field.replace("Major", "Minor")
        version = (header_field(dump, field), header_field(dump, minor))
        check(version <= (5, 1), f"{name}: {field} {version} is later than XP's 5.1")
    config = re.search(r"Entry a \S+ (\S+) Load Configuration Directory", dump)
    check(config and int(config.group(1), 16) in (0, 0x40),
          f"{name}: load configuration directory entry {config and config.group(1)}")


def check_xp_manifest(name, text):
    """XP's activation context parser refuses a manifest with an element of
    a later Windows in the assembly's own namespace (such as a trustInfo
    without its own namespace), and an element that declares one namespace
    twice. Elements in other namespaces it passes over."""
    root = ElementTree.fromstring(text)
    known = {"assemblyIdentity", "description", "dependency", "file", "noInherit",
             "noInheritable"}
    for child in root:
        if child.tag.startswith(ASM_V1):
            check(child.tag[len(ASM_V1):] in known,
                  f"{name}: manifest element {child.tag} is unknown to XP")
    for start in re.findall(r"<[^!?/][^>]*>", text):
        spaces = re.findall(r'xmlns(?::\w+)?="([^"]*)"', start)
        check(len(spaces) == len(set(spaces)), f"{name}: one namespace declared twice in {start}")


def check_manifest(name, exe, text):
    """What a program's start takes from its manifest, which Windows reads
    only as RT_MANIFEST resource 1. Windows refuses to start a program whose
    manifest names an assembly it cannot bind (its own identity or the common
    controls' with a version not of four numbers, another processor, another
    key), or asks for uiAccess without being signed and installed under
    Program Files; it starts one differently when the execution level is not
    asInvoker (elevation, or file and registry virtualization), when a
    supported system is missing (the older system's behaviour on it), and
    with another DPI awareness than system awareness up to Windows 10 1607
    and per-monitor awareness of the second form from 1703."""
    numbers = re.findall(r"--name=(\S+)", run("wrestool", "-l", "--type=24", exe).decode())
    check(numbers == ["1"], f"{name}: manifest under resource {numbers}, which Windows ignores")
    root = ElementTree.fromstring(text)
    check(root.tag == f"{ASM_V1}assembly" and root.get("manifestVersion") == "1.0",
          f"{name}: manifest root {root.tag} {root.attrib}")
    four_numbers = re.compile(r"^\d{1,5}(\.\d{1,5}){3}$")
    own = root.findall(f"{ASM_V1}assemblyIdentity")
    check([(e.get("type"), e.get("processorArchitecture"), bool(four_numbers.match(
          e.get("version", "")))) for e in own] == [("win32", "x86", True)],
          f"{name}: manifest's own identity {[e.attrib for e in own]}")
    levels = root.findall(f"{ASM_V3}trustInfo/{ASM_V3}security/{ASM_V3}requestedPrivileges/"
                          f"{ASM_V3}requestedExecutionLevel")
    check([(e.get("level"), e.get("uiAccess", "false").lower()) for e in levels] ==
          [("asInvoker", "false")],
          f"{name}: execution level and uiAccess {[e.attrib for e in levels]}")
    controls = [e.attrib for e in root.findall(
        f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/{ASM_V1}assemblyIdentity")]
    check(controls == [{"type": "win32", "name": "Microsoft.Windows.Common-Controls",
                        "version": "6.0.0.0", "processorArchitecture": "x86",
                        "publicKeyToken": "6595b64144ccf1df", "language": "*"}],
          f"{name}: dependencies {controls}, not the common controls' version 6")
    systems = [e.get("Id").lower() for e in root.findall(
        "{urn:schemas-microsoft-com:compatibility.v1}compatibility/"
        "{urn:schemas-microsoft-com:compatibility.v1}application/"
        "{urn:schemas-microsoft-com:compatibility.v1}supportedOS")]
    check(sorted(systems) == sorted(SUPPORTED_OS), f"{name}: supported systems {systems}")
    settings = f"{ASM_V3}application/{ASM_V3}windowsSettings/"
    aware = [e.text.strip().lower() for e in root.findall(settings + DPI_AWARE)]
    check(aware == ["true"], f"{name}: dpiAware {aware}, not system awareness up to 10 1511")
    lists = [[v.strip().lower() for v in e.text.split(",")]
             for e in root.findall(settings + DPI_AWARENESS)]
    values = lists[0] if len(lists) == 1 else []
    on_1607 = next((v for v in values if v in KNOWN_1607), "unaware")
    on_1703 = next((v for v in values if v in KNOWN_1607 + ("permonitorv2",)), "unaware")
    check((on_1607, on_1703) == ("system", "permonitorv2"),
          f"{name}: dpiAwareness {lists} gives 10 1607 {on_1607} and 1703 {on_1703}")


def check_program(exe, expected, workdir):
    name = os.path.basename(exe)
    dump = run("i686-w64-mingw32-objdump", "-p", exe).decode()
    check("file format pei-i386" in dump, f"{name}: not a 32-bit PE")
    check(re.search(r"Subsystem\s+00000002", dump) is not None, f"{name}: not a GUI program")
    dlls = {d.lower() for d in re.findall(r"DLL Name: (\S+)", dump)}
    check(dlls and dlls <= SYSTEM_DLLS, f"{name}: imports beyond system DLLs: {dlls - SYSTEM_DLLS}")
    check_xp_imports(name, dump)
    check_xp_header(name, dump)
    size = os.path.getsize(exe)
    check(size <= MAX_BYTES, f"{name}: {size} bytes, more than {MAX_BYTES}")

    ico = os.path.join(workdir, name + ".ico")
    run("wrestool", "-x", "--type=group_icon", "-o", ico, exe)
    listing = run("icotool", "-l", ico).decode()
    images = [(int(w), int(d)) for w, h, d in
              re.findall(r"--width=(\d+) --height=(\d+) --bit-depth=(\d+)", listing)]
    if not expected["ordered"]:
        images.sort()
    check(images == expected["icons"], f"{name}: icon images {images}")

    root, _ = parse_version(resource(exe, 16, workdir))
    fixed = root[1]
    signature, _, ms, ls, pms, pls = struct.unpack_from("<IIIIII", fixed)
    check(signature == 0xFEEF04BD, f"{name}: no fixed version information")
    v = expected["version"]
    check((ms, ls) == (pms, pls) == ((v[0] << 16) | v[1], (v[2] << 16) | v[3]),
          f"{name}: binary version {ms:#x}.{ls:#x}")
    strings = version_strings(root, {})
    for key, text in expected["strings"].items():
        check(strings.get(key) == text + "\0" or strings.get(key) == text,
              f"{name}: {key} is {strings.get(key)!r}")

    manifest = resource(exe, 24, workdir).decode("utf-8")
    check_manifest(name, exe, manifest)
    check_xp_manifest(name, manifest)
    print(f"{name}: {size} bytes, imports {', '.join(sorted(dlls))}")


def main():
    with tempfile.TemporaryDirectory() as workdir:
        check_program(sys.argv[1], QUORRIN, workdir)
        check_program(sys.argv[2], BRAKKON, workdir)
    for failure in failures:
        print("FAILED:", failure)
    print(f"{checks - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
