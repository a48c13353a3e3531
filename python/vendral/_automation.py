"""The binary standard through ctypes: GUIDs, VARIANTs, BSTRs, IDispatch."""

import ctypes
import os
import sysconfig
import threading

from ._files import read_regular_file, unsafe_library_reason

HRESULT = ctypes.c_int32

S_OK = 0
E_FAIL = -2147467259
E_ACCESSDENIED = -2147024891
REGDB_E_CLASSNOTREG = -2147221164
DISP_E_MEMBERNOTFOUND = -2147352573
DISP_E_PARAMNOTFOUND = -2147352572
DISP_E_EXCEPTION = -2147352567
DISP_E_BADPARAMCOUNT = -2147352562
DISP_E_UNKNOWNNAME = -2147352570

DISPATCH_METHOD = 1
DISPATCH_PROPERTYGET = 2
DISPATCH_PROPERTYPUT = 4
DISPATCH_PROPERTYPUTREF = 8
DISPID_PROPERTYPUT = -3

VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_R4, VT_R8 = 0, 1, 2, 3, 4, 5
VT_BSTR, VT_DISPATCH, VT_ERROR, VT_BOOL = 8, 9, 10, 11
VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_I8 = 16, 17, 18, 19, 20

# The classes of the Vendral library, for creation without a registration.
VENDRAL_CLASSES = {
    "vendral.cdatabase": "{EAB3025D-64F0-4A4B-B906-24F70793B86D}",
    "vendral.cprogressbar": "{94E54D97-3520-417B-BD23-A24D742D35D2}",
    "vendral.csplash": "{63A0A208-4087-4C52-8AD4-FDAD9C1E89A6}",
}
IID_IDISPATCH = "{00020400-0000-0000-C000-000000000046}"
IID_ICLASSFACTORY = "{00000001-0000-0000-C000-000000000046}"


class GUID(ctypes.Structure):
    _fields_ = [
        ("Data1", ctypes.c_uint32),
        ("Data2", ctypes.c_uint16),
        ("Data3", ctypes.c_uint16),
        ("Data4", ctypes.c_uint8 * 8),
    ]

    @classmethod
    def parse(cls, text):
        digits = text.strip().strip("{}").replace("-", "")
        if len(digits) != 32:
            raise ValueError("not a GUID: %r" % text)
        guid = cls()
        guid.Data1 = int(digits[0:8], 16)
        guid.Data2 = int(digits[8:12], 16)
        guid.Data3 = int(digits[12:16], 16)
        for i in range(8):
            guid.Data4[i] = int(digits[16 + 2 * i:18 + 2 * i], 16)
        return guid


class _Value(ctypes.Union):
    _fields_ = [
        ("llVal", ctypes.c_int64),
        ("lVal", ctypes.c_int32),
        ("iVal", ctypes.c_int16),
        ("bVal", ctypes.c_uint8),
        ("fltVal", ctypes.c_float),
        ("dblVal", ctypes.c_double),
        ("boolVal", ctypes.c_int16),
        ("scode", ctypes.c_int32),
        ("ptr", ctypes.c_void_p),
        ("record", ctypes.c_void_p * 2),
    ]


class VARIANT(ctypes.Structure):
    _anonymous_ = ("value",)
    _fields_ = [
        ("vt", ctypes.c_uint16),
        ("wReserved1", ctypes.c_uint16),
        ("wReserved2", ctypes.c_uint16),
        ("wReserved3", ctypes.c_uint16),
        ("value", _Value),
    ]


class DISPPARAMS(ctypes.Structure):
    _fields_ = [
        ("rgvarg", ctypes.POINTER(VARIANT)),
        ("rgdispidNamedArgs", ctypes.POINTER(ctypes.c_int32)),
        ("cArgs", ctypes.c_uint32),
        ("cNamedArgs", ctypes.c_uint32),
    ]


class EXCEPINFO(ctypes.Structure):
    _fields_ = [
        ("wCode", ctypes.c_uint16),
        ("wReserved", ctypes.c_uint16),
        ("bstrSource", ctypes.c_void_p),
        ("bstrDescription", ctypes.c_void_p),
        ("bstrHelpFile", ctypes.c_void_p),
        ("dwHelpContext", ctypes.c_uint32),
        ("pvReserved", ctypes.c_void_p),
        ("pfnDeferredFillIn", ctypes.c_void_p),
        ("scode", ctypes.c_int32),
    ]


assert ctypes.sizeof(VARIANT) == (24 if ctypes.sizeof(ctypes.c_void_p) == 8 else 16)


class ComError(Exception):
    """A failed call: hresult is the call's result; for an error raised inside
    the component (DISP_E_EXCEPTION), number and description are its own."""

    def __init__(self, hresult, description="", number=None, source=""):
        self.hresult = hresult
        self.number = hresult if number is None else number
        self.description = description
        self.source = source
        text = description or "call failed"
        super().__init__("%s (number 0x%08X)" % (text, self.number & 0xFFFFFFFF))


class _NullType:
    """The database's NULL, as a result."""

    _instance = None

    def __new__(cls):
        if cls._instance is None:
            cls._instance = super().__new__(cls)
        return cls._instance

    def __repr__(self):
        return "Null"

    def __bool__(self):
        return False


Null = _NullType()

# Entries of the interfaces, by position in their tables.
_QUERY_INTERFACE, _ADD_REF, _RELEASE = 0, 1, 2
_CREATE_INSTANCE = 3
_GET_IDS_OF_NAMES, _INVOKE = 5, 6

_PROTOTYPES = {
    _QUERY_INTERFACE: ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.POINTER(GUID),
                                       ctypes.POINTER(ctypes.c_void_p)),
    _ADD_REF: ctypes.CFUNCTYPE(ctypes.c_uint32, ctypes.c_void_p),
    _RELEASE: ctypes.CFUNCTYPE(ctypes.c_uint32, ctypes.c_void_p),
}
_CREATE = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.c_void_p, ctypes.POINTER(GUID),
                           ctypes.POINTER(ctypes.c_void_p))
_NAMES = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.POINTER(GUID),
                          ctypes.POINTER(ctypes.c_void_p), ctypes.c_uint32, ctypes.c_uint32,
                          ctypes.POINTER(ctypes.c_int32))
_CALL = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.c_int32, ctypes.POINTER(GUID),
                         ctypes.c_uint32, ctypes.c_uint16, ctypes.POINTER(DISPPARAMS),
                         ctypes.POINTER(VARIANT), ctypes.POINTER(EXCEPINFO),
                         ctypes.POINTER(ctypes.c_uint32))


def _entry(pointer, index, prototype):
    table = ctypes.cast(pointer, ctypes.POINTER(ctypes.POINTER(ctypes.c_void_p)))[0]
    return prototype(table[index])


class _Library:
    """A loaded server library with its automation helpers."""

    def __init__(self, path):
        self.path = path
        self.dll = ctypes.CDLL(path, mode=os.RTLD_LOCAL | os.RTLD_NOW)
        self.SysAllocStringLen = self.dll.VendralSysAllocStringLen
        self.SysAllocStringLen.restype = ctypes.c_void_p
        self.SysAllocStringLen.argtypes = [ctypes.c_void_p, ctypes.c_uint32]
        self.SysFreeString = self.dll.VendralSysFreeString
        self.SysFreeString.argtypes = [ctypes.c_void_p]
        self.SysStringLen = self.dll.VendralSysStringLen
        self.SysStringLen.restype = ctypes.c_uint32
        self.SysStringLen.argtypes = [ctypes.c_void_p]
        self.VariantClear = self.dll.VendralVariantClear
        self.VariantClear.argtypes = [ctypes.POINTER(VARIANT)]
        self.DllGetClassObject = self.dll.DllGetClassObject
        self.DllGetClassObject.restype = HRESULT
        self.DllGetClassObject.argtypes = [ctypes.POINTER(GUID), ctypes.POINTER(GUID),
                                           ctypes.POINTER(ctypes.c_void_p)]
        for name in ("DllRegisterServer", "DllUnregisterServer", "DllCanUnloadNow"):
            getattr(self.dll, name).restype = HRESULT

    def bstr(self, text):
        data = text.encode("utf-16-le", "surrogatepass")
        units = len(data) // 2
        buffer = ctypes.create_string_buffer(data, len(data) + 2)
        result = self.SysAllocStringLen(buffer, units)
        if not result and units:
            raise MemoryError()
        return result

    def text(self, bstr):
        if not bstr:
            return ""
        units = self.SysStringLen(bstr)
        return ctypes.string_at(bstr, units * 2).decode("utf-16-le", "surrogatepass")


_libraries = {}
_libraries_lock = threading.Lock()


def load_library(path):
    """The server library at path, loaded once. A library that others may
    replace, or a file that is no server library, raises ComError."""
    unsafe = unsafe_library_reason(path)
    if unsafe:
        raise ComError(E_ACCESSDENIED, "the library %s is not loaded: %s" % (path, unsafe))
    path = os.path.realpath(path)
    with _libraries_lock:
        if path not in _libraries:
            try:
                _libraries[path] = _Library(path)
            except (OSError, AttributeError) as error:
                # Not loadable, or a library without the server's entry points.
                raise ComError(REGDB_E_CLASSNOTREG, "the library %s cannot be loaded as a "
                               "component server (%s)" % (path, error)) from None
        return _libraries[path]


def installed_library():
    """libvendral.so.1 in the system's library folders, where the package
    installs it; None when it is not there."""
    multiarch = sysconfig.get_config_var("MULTIARCH")
    folders = ["/usr/lib/" + multiarch] if multiarch else []
    folders += ["/usr/lib", "/usr/local/lib"]
    for folder in folders:
        path = os.path.join(folder, "libvendral.so.1")
        if os.path.exists(path):
            return path
    return None


def registry_file_path():
    """$VENDRAL_REGISTRY, else $XDG_CONFIG_HOME/vendral/registry.reg, else
    ~/.config/vendral/registry.reg."""
    named = os.environ.get("VENDRAL_REGISTRY")
    if named:
        return named
    config = os.environ.get("XDG_CONFIG_HOME")
    if not config or not config.startswith("/"):
        config = os.path.join(os.path.expanduser("~"), ".config")
    return os.path.join(config, "vendral", "registry.reg")


def _unquote(text):
    out, i = [], 1
    while i < len(text) and text[i] != '"':
        if text[i] == "\\" and i + 1 < len(text):
            i += 1
        out.append(text[i])
        i += 1
    return "".join(out)


def _registry_default(path, key):
    """The default value of key in the REGEDIT4 file at path, or None."""
    try:
        data = read_regular_file(path)
        if data is None:
            return None
        lines = data.decode("utf-8").splitlines()
    except (OSError, UnicodeDecodeError) as error:
        raise ComError(REGDB_E_CLASSNOTREG,
                       "cannot read the registry file %s: %s" % (path, error)) from None
    current = None
    wanted = key.lower()
    for line in lines:
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = line[1:-1].lower()
        elif current == wanted and line.startswith('@="'):
            return _unquote(line[2:])
    return None


def _check(hresult, what):
    if hresult < 0:
        raise ComError(hresult, what)


def _release(library, pointer):
    if pointer:
        _entry(pointer, _RELEASE, _PROTOTYPES[_RELEASE])(pointer)


def CreateObject(class_id, library=None):
    """Creates a class by ProgID ("Vendral.CDatabase") or "{CLSID}" through
    the registry file; a class it does not know comes from library (or the
    library named by VENDRAL_LIBRARY), as a manifest beside a program would."""
    registry = registry_file_path()
    root = "HKEY_CLASSES_ROOT\\"
    if class_id.startswith("{"):
        clsid = class_id
    else:
        clsid = _registry_default(registry, root + class_id + "\\CLSID")
    path = None
    if clsid:
        path = _registry_default(registry, root + "CLSID\\" + clsid.upper() + "\\InprocServer32")
    registered = bool(path)
    if not path:
        path = library or os.environ.get("VENDRAL_LIBRARY") or installed_library()
        clsid = clsid or VENDRAL_CLASSES.get(class_id.lower())
        if not path or not clsid:
            raise ComError(REGDB_E_CLASSNOTREG,
                           "%s is not registered in %s; register its library with: "
                           "vendral-regsvr LIBRARY" % (class_id, registry))
    elif not os.path.exists(path):
        raise ComError(REGDB_E_CLASSNOTREG,
                       "%s is registered in %s with the library %s, which does not exist; "
                       "register the library again with: vendral-regsvr LIBRARY"
                       % (class_id, registry, path))
    try:
        server = load_library(path)
    except ComError as error:
        if error.hresult != REGDB_E_CLASSNOTREG or not registered:
            raise
        raise ComError(REGDB_E_CLASSNOTREG,
                       "%s is registered in %s with the library %s, which cannot be loaded "
                       "(%s); register the library again with: vendral-regsvr LIBRARY"
                       % (class_id, registry, path, error.description)) from None
    try:
        class_guid = GUID.parse(clsid)
    except ValueError:
        raise ComError(REGDB_E_CLASSNOTREG,
                       "%s is registered in %s with the malformed class id %s; register the "
                       "library again with: vendral-regsvr LIBRARY"
                       % (class_id, registry, clsid)) from None
    factory = ctypes.c_void_p()
    _check(server.DllGetClassObject(ctypes.byref(class_guid),
                                    ctypes.byref(GUID.parse(IID_ICLASSFACTORY)),
                                    ctypes.byref(factory)),
           "the library %s does not serve %s" % (path, class_id))
    try:
        obj = ctypes.c_void_p()
        _check(_entry(factory, _CREATE_INSTANCE, _CREATE)(
            factory, None, ctypes.byref(GUID.parse(IID_IDISPATCH)), ctypes.byref(obj)),
            "the library %s cannot create %s" % (path, class_id))
    finally:
        _release(server, factory.value)
    return Dispatch(server, obj.value)


def RegisterServer(path):
    """Calls DllRegisterServer of the library at path, as vendral-regsvr does."""
    _check(load_library(path).dll.DllRegisterServer(), "DllRegisterServer failed")


def UnregisterServer(path):
    _check(load_library(path).dll.DllUnregisterServer(), "DllUnregisterServer failed")


class Dispatch:
    """A dispatch object; attributes are its methods and properties."""

    def __init__(self, library, pointer):
        object.__setattr__(self, "_library", library)
        object.__setattr__(self, "_pointer", pointer)
        object.__setattr__(self, "_ids", {})

    def __del__(self):
        pointer = self.__dict__.get("_pointer")
        if pointer:
            object.__setattr__(self, "_pointer", None)
            _release(self._library, pointer)

    def _id(self, name):
        key = name.lower()
        if key not in self._ids:
            wide = ctypes.create_unicode_buffer(name) if ctypes.sizeof(ctypes.c_wchar) == 2 \
                else ctypes.create_string_buffer(name.encode("utf-16-le") + b"\0\0")
            names = (ctypes.c_void_p * 1)(ctypes.cast(wide, ctypes.c_void_p))
            dispid = ctypes.c_int32(-1)
            hresult = _entry(self._pointer, _GET_IDS_OF_NAMES, _NAMES)(
                self._pointer, ctypes.byref(GUID()), names, 1, 0, ctypes.byref(dispid))
            if hresult == DISP_E_UNKNOWNNAME:
                raise AttributeError("object has no member %r" % name)
            _check(hresult, "GetIDsOfNames failed for " + name)
            self._ids[key] = dispid.value
        return self._ids[key]

    def _to_variant(self, value, slot, owned):
        if value is None:
            slot.vt, slot.scode = VT_ERROR, DISP_E_PARAMNOTFOUND  # omitted
        elif value is Null:
            slot.vt = VT_NULL
        elif isinstance(value, bool):
            slot.vt, slot.boolVal = VT_BOOL, -1 if value else 0
        elif isinstance(value, int):
            if -2**31 <= value < 2**31:
                slot.vt, slot.lVal = VT_I4, value
            elif -2**63 <= value < 2**63:
                slot.vt, slot.llVal = VT_I8, value
            else:
                # ctypes would keep the low 64 bits only: 2**64 + 12 would pass as 12.
                raise OverflowError("%d does not fit the 64-bit integer of an automation "
                                    "argument" % value)
        elif isinstance(value, float):
            slot.vt, slot.dblVal = VT_R8, value
        elif isinstance(value, str):
            slot.vt, slot.ptr = VT_BSTR, self._library.bstr(value)
            owned.append(slot.ptr)
        elif isinstance(value, Dispatch):
            slot.vt, slot.ptr = VT_DISPATCH, value._pointer
        else:
            raise TypeError("cannot pass %r to an automation object" % (value,))

    def _from_variant(self, value):
        vt = value.vt
        if vt == VT_EMPTY:
            return None
        if vt == VT_NULL:
            return Null
        if vt == VT_I2:
            return value.iVal
        if vt == VT_I4:
            return value.lVal
        if vt == VT_I8:
            return value.llVal
        if vt == VT_R8:
            return value.dblVal
        if vt == VT_R4:
            return value.fltVal
        if vt == VT_BOOL:
            return value.boolVal != 0
        if vt in (VT_UI1, VT_I1):
            return value.bVal
        if vt == VT_BSTR:
            text = self._library.text(value.ptr)
            self._library.VariantClear(ctypes.byref(value))
            return text
        if vt == VT_DISPATCH:
            # The result's reference now belongs to the new wrapper.
            return Dispatch(self._library, value.ptr) if value.ptr else None
        self._library.VariantClear(ctypes.byref(value))
        raise TypeError("unsupported result type %d" % vt)

    def _invoke(self, name, flags, args):
        dispid = self._id(name)
        count = len(args)
        values = (VARIANT * max(count, 1))()
        owned = []
        try:
            for i, arg in enumerate(args):
                self._to_variant(arg, values[count - 1 - i], owned)
            put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)
            named = ctypes.c_int32(DISPID_PROPERTYPUT)
            params = DISPPARAMS(values, ctypes.pointer(named) if put else None, count,
                                1 if put else 0)
            result = VARIANT()
            error = EXCEPINFO()
            arg_error = ctypes.c_uint32(0)
            hresult = _entry(self._pointer, _INVOKE, _CALL)(
                self._pointer, dispid, ctypes.byref(GUID()), 0, flags, ctypes.byref(params),
                None if put else ctypes.byref(result), ctypes.byref(error),
                ctypes.byref(arg_error))
        finally:
            for pointer in owned:
                self._library.SysFreeString(pointer)
        if hresult == DISP_E_EXCEPTION:
            library = self._library
            description = library.text(error.bstrDescription)
            source = library.text(error.bstrSource)
            for field in (error.bstrDescription, error.bstrSource, error.bstrHelpFile):
                library.SysFreeString(field)
            raise ComError(hresult, description, error.scode or hresult, source)
        if hresult < 0:
            return hresult, None
        return hresult, None if put else self._from_variant(result)

    def _call(self, name, flags, args):
        hresult, value = self._invoke(name, flags, args)
        if hresult < 0:
            raise ComError(hresult, "%s failed" % name)
        return value

    def __getattr__(self, name):
        if name.startswith("_"):
            raise AttributeError(name)
        hresult, value = self._invoke(name, DISPATCH_PROPERTYGET, ())
        if hresult in (DISP_E_MEMBERNOTFOUND, DISP_E_BADPARAMCOUNT, DISP_E_PARAMNOTFOUND):
            # A method, or a property that takes arguments.
            return lambda *args: self._call(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args)
        if hresult < 0:
            raise ComError(hresult, "reading %s failed" % name)
        return value

    def __setattr__(self, name, value):
        flags = DISPATCH_PROPERTYPUTREF if isinstance(value, Dispatch) else DISPATCH_PROPERTYPUT
        self._call(name, flags, (value,))
