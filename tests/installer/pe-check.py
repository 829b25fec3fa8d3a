#!/usr/bin/env python3
"""Checks a setup program or the program itself as a file: a PE of the given
machine that carries every image of the product icon and version information
with the given version, product and company.

    pe-check.py FILE.exe x86|amd64 ICON.ico VERSION [--program DELAYED_DLL...]
With --program, also: its application manifest (per-monitor DPI aware,
Common-Controls 6, asInvoker), a GUI program that imports system libraries only
(nothing to ship beside it), and whose delay-import directory is whole, for
exactly the DLLs given (cmake/delay-directory.py).
Prints what it found; exits 1 naming the first thing that is wrong.
"""
import os
import struct
import sys
import xml.etree.ElementTree

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake"))
delay_directory = __import__("delay-directory")

MACHINES = {"x86": (0x14C, 0x10B), "amd64": (0x8664, 0x20B)}
# Libraries every Windows since Vista has in its system folder.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "gdi32.dll", "gdiplus.dll",
    "imm32.dll", "kernel32.dll", "msimg32.dll", "msvcrt.dll", "ole32.dll", "oleacc.dll",
    "oleaut32.dll", "psapi.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "uxtheme.dll",
    "version.dll", "winhttp.dll", "winmm.dll", "ws2_32.dll", "wtsapi32.dll",
}
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
VISTA_ID = "{e2011457-1546-43c5-a5fe-008deee3d3f0}"
WINDOWS_10_ID = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
RT_ICON, RT_VERSION, RT_MANIFEST = 3, 16, 24
CREATEPROCESS_MANIFEST_RESOURCE_ID = 1


def fail(why):
    print("pe-check: " + why)
    sys.exit(1)


def resources(image):
    """({type: [data bytes, ...]}, {(type, name): data}) from the resource directory."""
    base = image.offset(image.directory(2)[0])
    out, ids = {}, {}

    def walk(d, depth, rtype, rname):
        named, count = struct.unpack_from("<HH", image.data, d + 12)
        for i in range(named + count):
            name, target = struct.unpack_from("<II", image.data, d + 16 + 8 * i)
            t = name if depth == 0 else rtype
            n = name if depth == 1 else rname
            if target & 0x80000000:
                walk(base + (target & 0x7FFFFFFF), depth + 1, t, n)
            else:
                drva, dsize = struct.unpack_from("<II", image.data, base + target)
                at = image.offset(drva)
                out.setdefault(t, []).append(image.data[at:at + dsize])
                ids[(t, n)] = out[t][-1]

    walk(base, 0, None, None)
    return out, ids


def version_strings(blob):
    """(fixed file version text, {key: value} of the string tables)."""
    strings = {}
    fixed = None

    def node(p, end):
        nonlocal fixed
        length, vlen, vtype = struct.unpack_from("<HHH", blob, p)
        q = p + 6
        k = q
        while blob[k:k + 2] != b"\0\0":
            k += 2
        key = blob[q:k].decode("utf-16-le")
        v = (k + 2 + 3) & ~3
        if key == "VS_VERSION_INFO" and vlen >= 52:
            sig, _, ms, ls = struct.unpack_from("<IIII", blob, v)
            if sig == 0xFEEF04BD:
                fixed = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        elif vtype == 1 and vlen:
            strings[key] = blob[v:v + 2 * vlen].decode("utf-16-le").rstrip("\0")
        c = (v + (vlen * (2 if vtype == 1 else 1)) + 3) & ~3
        while c < min(p + length, end):
            c = (node(c, p + length) + 3) & ~3
        return p + length

    node(0, len(blob))
    return fixed, strings


def main():
    path, arch, ico_path, version = sys.argv[1:5]
    try:
        image = delay_directory.Image(open(path, "rb").read())
        if (image.machine, image.magic) != MACHINES[arch]:
            fail("machine 0x%X magic 0x%X, expected %s" % (image.machine, image.magic, arch))
        print("machine %s (0x%X), optional header 0x%X" % (arch, image.machine, image.magic))
        res, by_id = resources(image)
    except delay_directory.Fault as fault:
        fail(str(fault))
    ico = open(ico_path, "rb").read()
    count = struct.unpack_from("<H", ico, 4)[0]
    images = []
    for i in range(count):
        size, at = struct.unpack_from("<II", ico, 6 + 16 * i + 8)
        images.append(ico[at:at + size])
    missing = [i for i, img in enumerate(images) if img not in res.get(RT_ICON, [])]
    if missing:
        fail("icon images %s of %s not among the program's icons" % (missing, ico_path))
    print("icon: all %d images of the product icon" % count)

    if RT_VERSION not in res:
        fail("no version information")
    fixed, strings = version_strings(res[RT_VERSION][0])
    want = {"ProductName": "Quillmarch", "CompanyName": "Corvane", "ProductVersion": version,
            "FileVersion": version}
    for key, value in want.items():
        if strings.get(key) != value:
            fail("version information %s = %r, expected %r" % (key, strings.get(key), value))
    parts = (version.split(".") + ["0"] * 4)[:4]
    if fixed != ".".join(str(int(p)) for p in parts):
        fail("fixed file version %s, expected %s" % (fixed, version))
    print("version information: %s %s %s" % (strings["CompanyName"], strings["ProductName"], fixed))

    if len(sys.argv) > 5 and sys.argv[5] == "--program":
        check_manifest(by_id, res)
        check_program(image, sys.argv[6:])


def check_manifest(by_id, res):
    """The application manifest the loader reads: resource 1 of RT_MANIFEST,
    well-formed, asking for no elevation, Common-Controls 6, per-monitor DPI
    awareness (V2 first) and naming Windows 10/11 among the systems it knows."""
    if len(res.get(RT_MANIFEST, [])) != 1 or (RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID) not in by_id:
        fail("no single application manifest (resource 1 of type 24)")
    try:
        root = xml.etree.ElementTree.fromstring(by_id[(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID)])
    except xml.etree.ElementTree.ParseError as e:
        fail("the manifest does not parse: %s" % e)

    def local(tag):
        return tag.rsplit("}", 1)[-1]

    found = {}
    for e in root.iter():
        found.setdefault(local(e.tag), []).append(e)

    def only(tag):
        items = found.get(tag, [])
        if len(items) != 1:
            fail("manifest: %d <%s> elements, expected 1" % (len(items), tag))
        return items[0]

    if only("requestedExecutionLevel").get("level") != "asInvoker":
        fail("manifest: execution level is not asInvoker")
    if only("requestedExecutionLevel").get("uiAccess") not in (None, "false"):
        fail("manifest: uiAccess asked for")
    deps = [e for e in found.get("assemblyIdentity", [])
            if e.get("name") == "Microsoft.Windows.Common-Controls"]
    if len(deps) != 1 or not deps[0].get("version", "").startswith("6."):
        fail("manifest: no dependency on Common-Controls 6")
    awareness = [a.strip() for a in (only("dpiAwareness").text or "").split(",")]
    if awareness[:1] != ["PerMonitorV2"] or "PerMonitor" not in awareness:
        fail("manifest: dpiAwareness %r, expected PerMonitorV2 then PerMonitor" % awareness)
    if (only("dpiAware").text or "").strip().lower() != "true/pm":
        fail("manifest: dpiAware is not true/pm")
    systems = {e.get("Id", "").lower() for e in found.get("supportedOS", [])}
    if WINDOWS_10_ID not in systems or VISTA_ID not in systems:
        fail("manifest: supportedOS lacks Vista or Windows 10/11")
    print("manifest: asInvoker, Common-Controls 6, %s, %d systems" % (",".join(awareness), len(systems)))


def check_program(image, delayed):
    try:
        if image.subsystem != IMAGE_SUBSYSTEM_WINDOWS_GUI:
            fail("subsystem %d, expected a GUI program (2)" % image.subsystem)
        imports = sorted(n.lower() for n in image.imports())
        others = [n for n in imports if n not in SYSTEM_DLLS]
        if others:
            fail("imports libraries that are not the system's: %s" % ", ".join(others))
        print("imports: " + ", ".join(imports))
        found = delay_directory.check(image, delayed)
    except delay_directory.Fault as fault:
        fail(str(fault))
    missing = sorted({d.lower() + ".dll" for d in delayed} - set(found))
    if missing:
        # A DLL the program never calls needs no descriptor, but then it
        # should not be on the list either.
        fail("delay-loaded libraries without a descriptor: %s" % ", ".join(missing))
    print("delay-loaded: " + ", ".join("%s (%d)" % kv for kv in sorted(found.items())))


main()
