#!/usr/bin/env python3
"""Static checks of the built Windows files of both targets: imports, exports, resources, sizes.

usage: check_binaries.py BUILD_ROOT   (the folder holding x86_64/ and i686/)
"""
import struct
import sys
from pathlib import Path

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "ole32.dll", "oleaut32.dll", "msvcrt.dll",
               "advapi32.dll", "shell32.dll", "comctl32.dll", "uuid.dll"}
SKIN_SIZES = [15574, 9533, 19786, 19497, 17699, 41098, 12564, 18930, 13192, 24409, 30738, 8321, 26370,
              15733, 12105, 23603, 20863, 16746, 11676, 17997, 12882, 37461, 30958, 25715, 34523, 28961,
              29447, 15562, 20738, 18765, 31134, 44110, 20275]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


class PE:
    def __init__(self, path):
        self.path = path
        self.data = Path(path).read_bytes()
        d = self.data
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        assert d[pe:pe + 4] == b"PE\0\0", f"{path}: not a PE file"
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", d, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", d, optional)[0]
        directories = optional + (112 if magic == 0x20B else 96)
        self.directories = [struct.unpack_from("<II", d, directories + 8 * i) for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, va, rsize, raw = struct.unpack_from("<8sIIII", d, table + 40 * i)
            self.sections.append((va, max(vsize, rsize), raw))
        self.image_size = max(raw + size for va, size, raw in self.sections)

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError(f"rva {rva:#x} outside sections")

    def cstring(self, rva):
        o = self.offset(rva)
        return self.data[o:self.data.index(b"\0", o)].decode("latin-1")

    def imports(self):
        rva, _ = self.directories[1]
        names, o = [], self.offset(rva)
        while True:
            entry = struct.unpack_from("<IIIII", self.data, o)
            if entry[3] == 0:
                return names
            names.append(self.cstring(entry[3]).lower())
            o += 20

    def exports(self):
        rva, _ = self.directories[0]
        if not rva:
            return []
        o = self.offset(rva)
        count, names = struct.unpack_from("<I", self.data, o + 24)[0], struct.unpack_from("<I", self.data, o + 32)[0]
        return [self.cstring(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0]) for i in range(count)]

    def resources(self):
        """{type: [(name, [(language, bytes)])]} in directory order."""
        base_rva, _ = self.directories[2]
        base = self.offset(base_rva)

        def entries(o):
            named, ids = struct.unpack_from("<HH", self.data, o + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, o + 16 + 8 * i)
                if name & 0x80000000:
                    p = base + (name & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, p)[0]
                    name = self.data[p + 2:p + 2 + 2 * length].decode("utf-16-le")
                yield name, target

        result = {}
        for kind, t in entries(base):
            result[kind] = []
            for name, n in entries(base + (t & 0x7FFFFFFF)):
                items = []
                for language, leaf in entries(base + (n & 0x7FFFFFFF)):
                    rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    items.append((language, self.data[self.offset(rva):self.offset(rva) + size]))
                result[kind].append((name, items))
        return result


def check_program(path, engine_image):
    pe = PE(path)
    imports = pe.imports()
    check(set(imports) <= SYSTEM_DLLS, f"{path}: imports beyond Windows' own DLLs: {sorted(set(imports) - SYSTEM_DLLS)}")
    resources = pe.resources()
    groups = resources.get(14, [])
    check(groups and groups[0][0] == "DEFAULT_ICON", f"{path}: first icon group is {groups[0][0] if groups else None}")
    if groups:
        directory = groups[0][1][0][1]
        count = struct.unpack_from("<H", directory, 4)[0]
        sizes = [(directory[6 + 14 * i] or 256, struct.unpack_from("<H", directory, 6 + 14 * i + 6)[0]) for i in range(count)]
        check(sizes == [(128, 32), (64, 32), (48, 32), (32, 32), (16, 32)], f"{path}: icon images {sizes}")
    rcdata = {name: items[0][1] for name, items in resources.get(10, [])}
    engine = rcdata.get(100, b"")
    check(len(engine) == 88576, f"{path}: embedded engine image is {len(engine)} bytes")
    check(engine == engine_image, f"{path}: embedded engine differs from the built image")
    stamp = rcdata.get(101, b"")
    check(len(stamp) == 19256 and stamp[:2] == b"BM", f"{path}: stamp picture is {len(stamp)} bytes")
    for number, size in enumerate(SKIN_SIZES, 1):
        skin = rcdata.get(200 + number, b"")
        check(len(skin) == size and skin[:4] == b".SHE", f"{path}: skin {number} is {len(skin)} bytes")
    return pe


def check_engine(path, image_path):
    pe = PE(path)
    check("SkinH_AttachRes" in pe.exports(), f"{path}: exports {pe.exports()}")
    imports = pe.imports()
    check(set(imports) <= SYSTEM_DLLS, f"{path}: engine imports {sorted(set(imports) - SYSTEM_DLLS)}")
    image = Path(image_path).read_bytes()
    check(len(image) == 88576, f"{image_path}: {len(image)} bytes")
    check(image.startswith(pe.data), f"{image_path}: does not begin with the DLL")
    return image


def main():
    root = Path(sys.argv[1])
    machines = {"x86_64": 0x8664, "i686": 0x14C}
    for arch, machine in machines.items():
        build = root / arch
        image = check_engine(build / "skin-engine" / "SkinH_EL.dll", build / "skin-engine" / "SkinH_EL.image")
        program = check_program(build / "bin" / "Tandrel.exe", image)
        check(program.machine == machine, f"{arch}: machine {program.machine:#x}")
        check(PE(build / "skin-engine" / "SkinH_EL.dll").machine == machine, f"{arch}: engine machine")
    for failure in failures:
        print("FAIL:", failure)
    if failures:
        sys.exit(1)
    print("both targets: system imports only, SkinH_AttachRes exported, DEFAULT_ICON first, assets embedded")


main()
