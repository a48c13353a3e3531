#!/usr/bin/env python3
"""Writes a VS_VERSIONINFO block (the version resource of a Windows file) for
one of our own ELF files; the build puts it into the ".vendral.version"
section, where CFile::GetFileInfo reads it.

usage: version-block.py OUTPUT TYPE(app|dll) VERSION KEY=VALUE...
"""
import struct
import sys


def pad(data):
    return data + b"\0" * (-len(data) % 4)


def node(key, value=b"", value_length=0, text=False, children=()):
    body = struct.pack("<HHH", 0, value_length, 1 if text else 0)
    body += (key + "\0").encode("utf-16-le")
    body = pad(body) + value
    for child in children:
        body = pad(body) + child
    return struct.pack("<H", len(body)) + body[2:]


def string(key, value):
    text = (value + "\0").encode("utf-16-le")
    return node(key, text, len(text) // 2, text=True)


def main(argv):
    output, kind, version = argv[1], argv[2], argv[3]
    fields = dict(arg.split("=", 1) for arg in argv[4:])
    numbers = [int(part) for part in version.split(".")] + [0, 0, 0, 0]
    ms = (numbers[0] << 16) | numbers[1]
    ls = (numbers[2] << 16) | numbers[3]
    fixed = struct.pack("<13I", 0xFEEF04BD, 0x00010000, ms, ls, ms, ls, 0x3F, 0, 0,
                        1 if kind == "app" else 2, 0, 0, 0)
    language, code_page = 0x0409, 1200
    table = node("%04X%04X" % (language, code_page), text=True,
                 children=[string(key, value) for key, value in fields.items()])
    strings = node("StringFileInfo", text=True, children=[table])
    translation = node("Translation", struct.pack("<HH", language, code_page), 4)
    variables = node("VarFileInfo", text=True, children=[translation])
    block = node("VS_VERSION_INFO", fixed, len(fixed), children=[strings, variables])
    with open(output, "wb") as out:
        out.write(block)


if __name__ == "__main__":
    main(sys.argv)
