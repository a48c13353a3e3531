#!/usr/bin/env python3
"""Writes the IDL of the Vendral type library from the served classes' member tables.

Each member table (library/automation/cdatabase_members.cpp,
library/automation/qt/cprogressbar_members.cpp and csplash_members.cpp)
lists the members of one dual interface in the order of its table of entries;
each row becomes one entry here, with the dispatch id the library gives it
(counted from 1 in row order; rows of the same name share the first one's).
An argument has the type its row gives it ("name:Type=Default", "&" before the
type for one passed by reference, brackets around an optional one): String,
Integer, Long, Boolean, Object, Variant or one of the library's enumerations,
and its default as a defaultvalue. A method's result is a VARIANT; a property
reads as the type its get row gives, else as the type it is written with. The
enumerations and their values come from CDatabase's table and
include/vendral/cdatabase.h, the ids from include/vendral/class_ids.h.

    type-library-idl.py SOURCE_DIR OUTPUT.idl
"""
import re
import sys

# The served classes: name and member table, in the order of the library.
CLASSES = [
    ("CDatabase", "library/automation/cdatabase_members.cpp"),
    ("CProgressBar", "library/automation/qt/cprogressbar_members.cpp"),
    ("CSplash", "library/automation/qt/csplash_members.cpp"),
]

# The IDL type of a table's type word, by value.
IDL_TYPES = {"String": "BSTR", "Integer": "short", "Long": "long", "Boolean": "VARIANT_BOOL",
             "Object": "IDispatch*", "Variant": "VARIANT"}
# The put macros' conversions, as type words.
CONVERSIONS = {"Int32": "Long", "Int16": "Integer", "Text": "String", "Bool": "Boolean"}


def c_strings(text):
    """The value of adjacent C string literals, escapes resolved."""
    return "".join(re.findall(r'"((?:[^"\\]|\\.)*)"', text)).replace('\\"', '"')


def guid(header, name):
    m = re.search(name + r"\s*=\s*\{\s*(0x[0-9A-Fa-f]+),\s*(0x[0-9A-Fa-f]+),\s*(0x[0-9A-Fa-f]+),"
                  r"\s*\{([^}]*)\}", header)
    if not m:
        sys.exit(f"type-library-idl.py: {name} not found")
    tail = [int(b, 16) for b in m.group(4).split(",")]
    return "%08X-%04X-%04X-%02X%02X-%s" % (
        int(m.group(1), 16), int(m.group(2), 16), int(m.group(3), 16), tail[0], tail[1],
        "".join("%02X" % b for b in tail[2:]))


def table_body(source):
    start = source.index("static constexpr Row kRows[] = {")
    depth = 0
    for at in range(source.index("{", start + len("static constexpr Row kRows[] =")), len(source)):
        if source[at] == "{":
            depth += 1
        elif source[at] == "}":
            depth -= 1
            if depth == 0:
                return source[start:at]
    sys.exit("type-library-idl.py: a member table does not end")


def row_end(body, at):
    """The index just past the row that opens at body[at] == '{'."""
    depth = 0
    in_string = False
    i = at
    while i < len(body):
        c = body[i]
        if in_string:
            if c == "\\":
                i += 1
            elif c == '"':
                in_string = False
        elif c == '"':
            in_string = True
        elif c == "{":
            depth += 1
        elif c == "}":
            depth -= 1
            if depth == 0:
                return i + 1
        i += 1
    sys.exit("type-library-idl.py: a row does not end")


def rows(source):
    """(name, kind, params, returns) of every row of a member table, in order."""
    body = table_body(source)
    found = []
    head = re.compile(
        r'VENDRAL_GET\((\w+),\s*(\w+)\)|VENDRAL_PUT\((\w+),\s*(\w+),\s*(\w+)\)|'
        r'\{"(\w+)",\s*MemberKind::(\w+),\s*((?:"(?:[^"\\]|\\.)*"\s*)+),')
    at = 0
    while True:
        m = head.search(body, at)
        if not m:
            return found
        if m.group(1):
            found.append((m.group(1), "Get", "", m.group(2)))
            at = m.end()
        elif m.group(3):
            found.append((m.group(3), "Put", m.group(4) + ":" + CONVERSIONS[m.group(5)], ""))
            at = m.end()
        else:
            end = row_end(body, m.start())
            # A row's last element, after its code, may name the type it reads as.
            tail = re.search(r'\},\s*"(\w+)"\s*\}$', body[m.start():end])
            found.append((m.group(6), m.group(7), c_strings(m.group(8)),
                          tail.group(1) if tail else ""))
            at = end


def enums(source, header):
    library = source[source.index("PublicEnumerations()"):]
    result = []
    for m in re.finditer(r'\{"(\w+)",\s*\{((?:\{"\w+",\s*\w+\},?\s*)+)\}\}', library):
        values = []
        for name, constant in re.findall(r'\{"(\w+)",\s*(\w+)\}', m.group(2)):
            v = re.search(r"\b" + constant + r"\s*=\s*(-?\d+)", header)
            if not v:
                sys.exit(f"type-library-idl.py: the value of {constant} is not found")
            values.append((name, int(v.group(1))))
        result.append((m.group(1), values))
    return result


def split_params(text):
    """The arguments of a row's text; a comma inside a quoted default stays."""
    out, item, quoted = [], "", False
    for c in text:
        if c == '"':
            quoted = not quoted
        if c == "," and not quoted:
            out.append(item)
            item = ""
        else:
            item += c
    if item:
        out.append(item)
    return out


def params(text):
    """(name, type, by reference, optional, default or None) of each argument."""
    out = []
    for raw in split_params(text):
        optional = raw.startswith("[")
        item = raw.strip("[]")
        default = None
        if "=" in item:
            item, default = item.split("=", 1)
        name, _, kind = item.partition(":")
        by_ref = kind.startswith("&")
        out.append((name, kind.lstrip("&") or "Variant", by_ref, optional, default))
    return out


def idl_type(kind, by_ref, enum_names):
    base = kind if kind in enum_names else IDL_TYPES.get(kind)
    if base is None:
        sys.exit(f"type-library-idl.py: unknown type {kind}")
    # A Variant is passed by its address, as the entries take it: a null
    # address is an omitted argument.
    if kind == "Variant" or by_ref:
        return base + "*"
    return base


def idl_default(kind, text):
    if kind == "Boolean":
        return "-1" if text.lower() == "true" else "0"
    if kind == "String":
        return '"' + text.strip('"') + '"'
    return text


def interface(name, source, iid, enum_names):
    lines = [f"    [uuid({iid}), version(1.0), dual, oleautomation, nonextensible]",
             f"    interface _{name} : IDispatch",
             "    {"]
    table = rows(source)
    dispids = {}
    # A property reads as its get's type, else as the type of its put's value.
    reads = {}
    for row_name, kind, text, returns in table:
        if kind in ("Put", "PutRef") and text and row_name not in reads:
            reads[row_name] = params(text)[-1][1]
    attribute = {"Method": "", "Get": ", propget", "Put": ", propput", "PutRef": ", propputref"}
    for row_name, kind, text, returns in table:
        dispid = dispids.setdefault(row_name, len(dispids) + 1)
        args = []
        for arg, kind_word, by_ref, optional, default in params(text):
            flags = "in"
            if optional:
                flags += ", optional"
            if default is not None:
                flags += f", defaultvalue({idl_default(kind_word, default)})"
            args.append(f"[{flags}] {idl_type(kind_word, by_ref, enum_names)} {arg}")
        if kind == "Method":
            args.append("[out, retval] VARIANT* result")
        elif kind == "Get":
            read = returns or reads.get(row_name, "Variant")
            args.append(f"[out, retval] {idl_type(read, True, enum_names)} result")
        lines.append(f"        [id({dispid}){attribute[kind]}] HRESULT {row_name}({', '.join(args)});")
    lines += ["    };", ""]
    return lines


def main():
    root, output = sys.argv[1], sys.argv[2]
    ids = open(f"{root}/include/vendral/class_ids.h").read()
    header = open(f"{root}/include/vendral/cdatabase.h").read()
    sources = {name: open(f"{root}/{path}").read() for name, path in CLASSES}

    lines = ["// Generated by scripts/type-library-idl.py from the served classes' member tables.",
             "import \"oaidl.idl\";",
             f"[uuid({guid(ids, 'LIBID_Vendral')}), version(1.0), helpstring(\"Vendral CRM database components\")]",
             "library Vendral",
             "{",
             "    importlib(\"stdole2.tlb\");",
             ""]
    enumerations = enums(sources["CDatabase"], header)
    for name, values in enumerations:
        lines.append(f"    typedef enum {name} {{")
        lines += [f"        {value_name} = {value}," for value_name, value in values]
        lines[-1] = lines[-1].rstrip(",")
        lines += [f"    }} {name};", ""]
    enum_names = {name for name, _ in enumerations}
    for name, _ in CLASSES:
        lines += interface(name, sources[name], guid(ids, f"IID__{name}"), enum_names)
    for name, _ in CLASSES:
        lines += [f"    [uuid({guid(ids, f'CLSID_{name}')}), version(1.0)]",
                  f"    coclass {name}",
                  "    {",
                  f"        [default] interface _{name};",
                  "    };",
                  ""]
    lines += ["};", ""]
    with open(output, "w") as out:
        out.write("\n".join(lines))


main()
