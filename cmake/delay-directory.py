#!/usr/bin/env python3
"""The delay-import directory of a program linked with qm_delay_imports.

    delay-directory.py PROGRAM.exe PROGRAM.exe.map DLL...
        After the link: finds the delay-import descriptors through the link
        map, enters them in the header as the delay-import directory and
        checks the whole directory (below), naming every slot by its symbol.
    delay-directory.py --check PROGRAM.exe DLL...
        Checks a program as shipped, from its header alone.

The checks: every descriptor names one of the DLLs given, once; none of them
is also an ordinary import (it would load at start after all); each address
slot starts out at its own call stub (the stub loads that very slot's address
before calling the helper), and the name table runs beside the address table
to a common end. Exits 1 naming the first fault.
"""
import re
import struct
import sys

DIRECTORY_IMPORT, DIRECTORY_DELAY = 1, 13
DESCRIPTOR = 32


class Fault(Exception):
    pass


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise Fault("no MZ header")
        self.pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[self.pe:self.pe + 4] != b"PE\0\0":
            raise Fault("no PE signature")
        self.machine = struct.unpack_from("<H", data, self.pe + 4)[0]
        opt = self.pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        self.wide = self.magic == 0x20B
        self.base = struct.unpack_from("<Q" if self.wide else "<I", data, opt + (24 if self.wide else 28))[0]
        self.subsystem = struct.unpack_from("<H", data, opt + 68)[0]
        self.dirs = opt + (112 if self.wide else 96)
        count = struct.unpack_from("<H", data, self.pe + 6)[0]
        first = opt + struct.unpack_from("<H", data, self.pe + 20)[0]
        self.sections = []
        for i in range(count):
            s = first + 40 * i
            name = data[s:s + 8].rstrip(b"\0").decode("ascii", "replace")
            vsize, va, rsize, raw = struct.unpack_from("<IIII", data, s + 8)
            flags = struct.unpack_from("<I", data, s + 36)[0]
            self.sections.append((name, va, max(vsize, rsize), raw, rsize, flags))

    def directory(self, index):
        return struct.unpack_from("<II", self.data, self.dirs + 8 * index)

    def section_of(self, rva):
        for sec in self.sections:
            if sec[1] <= rva < sec[1] + sec[2]:
                return sec
        return None

    def offset(self, rva):
        sec = self.section_of(rva)
        if sec is None or rva - sec[1] >= sec[4]:
            raise Fault("address 0x%X is in no section's file data" % rva)
        return sec[3] + rva - sec[1]

    def u32(self, rva):
        return struct.unpack_from("<I", self.data, self.offset(rva))[0]

    def pointer(self, rva):
        return struct.unpack_from("<Q" if self.wide else "<I", self.data, self.offset(rva))[0]

    def string(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def imports(self):
        """Names of the DLLs of the ordinary import directory."""
        rva, size = self.directory(DIRECTORY_IMPORT)
        names = []
        while rva and size:
            name = self.u32(rva + 12)
            if not name:
                break
            names.append(self.string(name))
            rva += 20
        return names


def check(image, dlls, names_at=None):
    """The delay directory's DLLs with their slot counts, or Fault."""
    rva, size = image.directory(DIRECTORY_DELAY)
    if not rva:
        raise Fault("no delay-import directory")
    wanted = {d.lower() + ".dll" for d in dlls}
    ordinary = {n.lower() for n in image.imports()}
    slot_size = 8 if image.wide else 4
    found = {}
    at = rva
    while True:
        attrs, name, hmod, iat, int_ = struct.unpack_from("<IIIII", image.data, image.offset(at))
        if not name:
            break
        dll = image.string(name)
        if attrs != 1:
            raise Fault("%s: descriptor attributes %d, expected addresses relative to the image" % (dll, attrs))
        if dll.lower() not in wanted:
            raise Fault("%s is delay-loaded but not among %s" % (dll, sorted(wanted)))
        if dll.lower() in found:
            raise Fault("%s has two descriptors" % dll)
        if dll.lower() in ordinary:
            raise Fault("%s is delay-loaded and an ordinary import as well" % dll)
        sec = image.section_of(hmod)
        if sec is None or not sec[5] & 0x80000000:
            raise Fault("%s: the module handle is not in writable data" % dll)
        count = 0
        while True:
            entry = image.pointer(int_ + count * slot_size)
            slot = image.pointer(iat + count * slot_size)
            if not entry:
                if slot:
                    raise Fault("%s: the address table runs past the name table" % dll)
                break
            if entry >> (slot_size * 8 - 1):
                raise Fault("%s: slot %d is imported by ordinal" % (dll, count))
            function = image.string(entry + 2)
            slot_rva = iat + count * slot_size
            label = names_at.get(slot_rva, "?") if names_at else function
            if not slot:
                raise Fault("%s: slot of %s is 0: its first call would jump to address 0" % (dll, label))
            stub = slot - image.base
            code = image.section_of(stub)
            if code is None or not code[5] & 0x20000000:
                raise Fault("%s: slot of %s starts at 0x%X, outside the code" % (dll, label, slot))
            at_stub = image.offset(stub)
            if image.wide:
                # lea rax, [rip + x]
                if image.data[at_stub:at_stub + 3] != b"\x48\x8d\x05":
                    raise Fault("%s: the stub of %s does not load its slot" % (dll, label))
                target = stub + 7 + struct.unpack_from("<i", image.data, at_stub + 3)[0]
            else:
                # mov eax, slot
                if image.data[at_stub] != 0xB8:
                    raise Fault("%s: the stub of %s does not load its slot" % (dll, label))
                target = struct.unpack_from("<I", image.data, at_stub + 1)[0] - image.base
            if target != slot_rva:
                raise Fault("%s: the stub of %s loads another slot" % (dll, label))
            if names_at and names_at.get(slot_rva) not in (None, function):
                raise Fault("%s: slot of %s is named %s in the name table" % (dll, names_at[slot_rva], function))
            count += 1
        if not count:
            raise Fault("%s: a descriptor without functions" % dll)
        found[dll.lower()] = count
        at += DESCRIPTOR
    if at + DESCRIPTOR - rva != size:
        raise Fault("directory size %d, the descriptors and terminator take %d" % (size, at + DESCRIPTOR - rva))
    return found


def from_map(image, map_text):
    """Enters the descriptors the link map names as the delay directory."""
    at = sorted(int(a, 16) - image.base for a in
                re.findall(r"^\s+0x([0-9a-f]+)\s+_?_DELAY_IMPORT_DESCRIPTOR_\S+$", map_text, re.M))
    if not at:
        raise Fault("the link map names no delay-import descriptor")
    if at != list(range(at[0], at[0] + DESCRIPTOR * len(at), DESCRIPTOR)):
        raise Fault("the delay-import descriptors are not side by side")
    end = at[-1] + DESCRIPTOR
    if any(image.data[image.offset(end):image.offset(end) + DESCRIPTOR]):
        raise Fault("no zero descriptor after the last one")
    data = bytearray(image.data)
    struct.pack_into("<II", data, image.dirs + 8 * DIRECTORY_DELAY, at[0], end + DESCRIPTOR - at[0])
    # x86: "_imp__Name@8", x86-64: "__imp_Name"
    names = {int(a, 16) - image.base: re.sub(r"@\d+$", "", n) for a, n in
             re.findall(r"^\s+0x([0-9a-f]+)\s+_?_imp__?(\S+)$", map_text, re.M)}
    return bytes(data), names


def main(argv):
    try:
        if argv[0] == "--check":
            image = Image(open(argv[1], "rb").read())
            found = check(image, argv[2:])
        else:
            path, map_path, dlls = argv[0], argv[1], argv[2:]
            image = Image(open(path, "rb").read())
            data, names = from_map(image, open(map_path).read())
            image = Image(data)
            found = check(image, dlls, names)
            with open(path, "wb") as f:
                f.write(data)
    except Fault as fault:
        print("delay-directory: %s" % fault)
        return 1
    print("delay-loaded: " + ", ".join("%s (%d)" % kv for kv in sorted(found.items())))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
