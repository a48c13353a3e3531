"""Late-bound scripting client of the Vendral component server.

    import vendral
    db = vendral.CreateObject("Vendral.CDatabase")
    db.OpenODBC_DB("/path/prodwell.ini", 1)
    print(db.CountRecords("appointment"))

Attributes of an object call the component through its dispatch interface:
reading an attribute reads a property, or gives a callable for a method;
assigning one sets a property. Errors raise ComError with the component's
description and number. Pure Python on the standard library's ctypes.
"""

from ._automation import (
    ComError,
    CreateObject,
    Dispatch,
    Null,
    RegisterServer,
    UnregisterServer,
    load_library,
    registry_file_path,
)

__all__ = [
    "ComError",
    "CreateObject",
    "Dispatch",
    "Null",
    "RegisterServer",
    "UnregisterServer",
    "load_library",
    "registry_file_path",
]
