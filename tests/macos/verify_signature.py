#!/usr/bin/env python3
"""usage: verify_signature.py FILE [--require ARCH]...

Checks the code signature in each slice of a Mach-O file as macOS checks
it when it maps the slice's pages: an ad-hoc CodeDirectory with SHA-256
page hashes that cover every byte up to the signature, each hash matching
its page, and the executable segment named where __TEXT lies. A slice
changed after it was linked (stripped, patched) no longer matches, and
Apple Silicon kills the process that maps such a page: in the simulator,
X-Plane. A slice named with --require must be signed. Prints each problem
and exits 1 if there is any.
"""
import hashlib
import struct
import sys

FAT_MAGICS = {0xCAFEBABE: (">IIIII", 20), 0xCAFEBABF: (">IIQQII", 32)}
MH_MAGIC_64 = 0xFEEDFACF
CPU_NAMES = {0x0100000C: "arm64", 0x01000007: "x86_64"}
LC_SEGMENT_64 = 0x19
LC_CODE_SIGNATURE = 0x1D
CSMAGIC_EMBEDDED_SIGNATURE = 0xFADE0CC0
CSMAGIC_CODEDIRECTORY = 0xFADE0C02
CS_ADHOC = 0x2
CS_HASHTYPE_SHA256 = 2


def slices(data):
    """(architecture name, bytes of the slice) for each slice."""
    magic = struct.unpack_from(">I", data)[0]
    if magic not in FAT_MAGICS:
        cpu = struct.unpack_from("<I", data, 4)[0]
        yield CPU_NAMES.get(cpu, hex(cpu)), data
        return
    layout, size = FAT_MAGICS[magic]
    count = struct.unpack_from(">I", data, 4)[0]
    for i in range(count):
        cpu, _, offset, length = struct.unpack_from(layout, data, 8 + i * size)[:4]
        yield CPU_NAMES.get(cpu, hex(cpu)), data[offset:offset + length]


def load_commands(data):
    """The text segment's (offset, size) and the signature's (offset, size)."""
    if struct.unpack_from("<I", data)[0] != MH_MAGIC_64:
        raise ValueError("not a 64-bit Mach-O slice")
    ncmds = struct.unpack_from("<I", data, 16)[0]
    text, signature, at = None, None, 32
    for _ in range(ncmds):
        cmd, cmdsize = struct.unpack_from("<II", data, at)
        if cmd == LC_SEGMENT_64 and data[at + 8:at + 24].rstrip(b"\0") == b"__TEXT":
            text = struct.unpack_from("<QQ", data, at + 40)
        elif cmd == LC_CODE_SIGNATURE:
            signature = struct.unpack_from("<II", data, at + 8)
        at += cmdsize
    return text, signature


def code_directory_problems(data, text, signature):
    dataoff = signature[0]
    magic, _, count = struct.unpack_from(">III", data, dataoff)
    if magic != CSMAGIC_EMBEDDED_SIGNATURE:
        return ["the signature is no embedded signature blob"]
    directory = None
    for i in range(count):
        kind, offset = struct.unpack_from(">II", data, dataoff + 12 + i * 8)
        if kind == 0:
            directory = dataoff + offset
    if directory is None:
        return ["the signature holds no CodeDirectory"]
    (magic, _, version, flags, hash_offset, _, _, slots, limit, hash_size, hash_type, _,
     page_shift) = struct.unpack_from(">9I4B", data, directory)
    if magic != CSMAGIC_CODEDIRECTORY:
        return ["the CodeDirectory's magic number is wrong"]
    problems = []
    if not flags & CS_ADHOC:
        problems.append("the CodeDirectory is not ad hoc")
    if hash_type != CS_HASHTYPE_SHA256 or hash_size != 32:
        return problems + ["the page hashes are not SHA-256"]
    if limit != dataoff:
        problems.append(f"the hashes cover {limit} bytes, the signature starts at {dataoff}")
    page = 1 << page_shift
    if slots != (limit + page - 1) // page:
        problems.append(f"{slots} page hashes for {limit} bytes of {page}-byte pages")
    hashes = directory + hash_offset
    for i in range(min(slots, (limit + page - 1) // page)):
        recorded = data[hashes + i * 32:hashes + (i + 1) * 32]
        if hashlib.sha256(data[i * page:min((i + 1) * page, limit)]).digest() != recorded:
            problems.append(f"page {i} does not match its hash")
    if version >= 0x20400 and text is not None:
        base, limit_of_text = struct.unpack_from(">QQ", data, directory + 64)
        if (base, limit_of_text) != text:
            problems.append("the executable segment it names is not __TEXT")
    return problems


def main(argv):
    if len(argv) < 2 or argv[1] in ("--help", "-h"):
        print(__doc__.strip())
        return 0 if len(argv) >= 2 else 2
    with open(argv[1], "rb") as file:
        data = file.read()
    required = {argv[i + 1] for i in range(2, len(argv) - 1) if argv[i] == "--require"}
    problems = []
    for arch, body in slices(data):
        text, signature = load_commands(body)
        if signature is None:
            if arch in required:
                problems.append(f"{arch}: no code signature")
            continue
        problems += [f"{arch}: {p}" for p in code_directory_problems(body, text, signature)]
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
