/* A client in C of the core library alone: loads libvendral.so.1 by its path
 * (never linked), creates CDatabase through DllGetClassObject, and calls
 * OpenODBC_DB, dDatabaseIsRunning and CountRecords through IDispatch, as a
 * scripting host does. A missing settings file brings up the settings dialog.
 *
 *   open_with_dialog LIBRARY SETTINGS_FILE TABLE
 * prints "opened True|False running True|False" and, when running, "rows N". */
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <uchar.h>

typedef int32_t HRESULT;
typedef char16_t OLECHAR;
typedef OLECHAR* BSTR;
typedef struct {
    uint32_t Data1;
    uint16_t Data2, Data3;
    uint8_t Data4[8];
} GUID;

typedef struct {
    uint16_t vt, r1, r2, r3;
    union {
        int64_t llVal;
        int32_t lVal;
        int16_t iVal;
        int16_t boolVal;
        double dblVal;
        BSTR bstrVal;
        struct {
            void* a;
            void* b;
        } record;
    } u;
} VARIANT;

typedef struct {
    VARIANT* rgvarg;
    int32_t* rgdispidNamedArgs;
    uint32_t cArgs, cNamedArgs;
} DISPPARAMS;

typedef struct {
    uint16_t wCode, wReserved;
    BSTR bstrSource, bstrDescription, bstrHelpFile;
    uint32_t dwHelpContext;
    void* pvReserved;
    void* pfnDeferredFillIn;
    int32_t scode;
} EXCEPINFO;

typedef struct Dispatch Dispatch;
typedef struct {
    HRESULT (*QueryInterface)(Dispatch*, const GUID*, void**);
    uint32_t (*AddRef)(Dispatch*);
    uint32_t (*Release)(Dispatch*);
    HRESULT (*GetTypeInfoCount)(Dispatch*, uint32_t*);
    HRESULT (*GetTypeInfo)(Dispatch*, uint32_t, uint32_t, void**);
    HRESULT (*GetIDsOfNames)(Dispatch*, const GUID*, OLECHAR**, uint32_t, uint32_t, int32_t*);
    HRESULT (*Invoke)(Dispatch*, int32_t, const GUID*, uint32_t, uint16_t, DISPPARAMS*, VARIANT*,
                      EXCEPINFO*, uint32_t*);
} DispatchVtbl;
struct Dispatch {
    const DispatchVtbl* lpVtbl;
};

typedef struct Factory Factory;
typedef struct {
    HRESULT (*QueryInterface)(Factory*, const GUID*, void**);
    uint32_t (*AddRef)(Factory*);
    uint32_t (*Release)(Factory*);
    HRESULT (*CreateInstance)(Factory*, void*, const GUID*, void**);
    HRESULT (*LockServer)(Factory*, int);
} FactoryVtbl;
struct Factory {
    const FactoryVtbl* lpVtbl;
};

static const GUID CLSID_CDatabase = {
    0xEAB3025D, 0x64F0, 0x4A4B, {0xB9, 0x06, 0x24, 0xF7, 0x07, 0x93, 0xB8, 0x6D}};
static const GUID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const GUID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const GUID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

enum { VT_EMPTY = 0, VT_I2 = 2, VT_I4 = 3, VT_BSTR = 8, VT_BOOL = 11, VT_I8 = 20 };
enum { DISPATCH_METHOD = 1, DISPATCH_PROPERTYGET = 2 };

static BSTR (*SysAllocString)(const OLECHAR*);
static HRESULT (*VariantClear)(VARIANT*);

/* ASCII text as UTF-16, enough for names and paths of the test. */
static OLECHAR* Wide(const char* text) {
    size_t length = strlen(text);
    OLECHAR* wide = calloc(length + 1, sizeof(OLECHAR));
    for (size_t i = 0; i < length; ++i) wide[i] = (unsigned char)text[i];
    return wide;
}

static void Fail(const char* what, HRESULT result) {
    fprintf(stderr, "open_with_dialog: %s failed (0x%08X)\n", what, (unsigned)result);
    exit(1);
}

/* Calls name with args given last one first; the result in out. */
static void Call(Dispatch* object, const char* name, uint16_t flags, VARIANT* args, uint32_t count,
                 VARIANT* out) {
    OLECHAR* wide = Wide(name);
    int32_t id = 0;
    HRESULT result = object->lpVtbl->GetIDsOfNames(object, &IID_NULL, &wide, 1, 0, &id);
    free(wide);
    if (result < 0) Fail(name, result);
    DISPPARAMS params = {args, NULL, count, 0};
    EXCEPINFO error;
    memset(&error, 0, sizeof error);
    uint32_t argError = 0;
    result = object->lpVtbl->Invoke(object, id, &IID_NULL, 0, flags, &params, out, &error,
                                    &argError);
    if (result < 0) Fail(name, result);
}

static VARIANT Text(const char* text) {
    VARIANT value;
    memset(&value, 0, sizeof value);
    OLECHAR* wide = Wide(text);
    value.vt = VT_BSTR;
    value.u.bstrVal = SysAllocString(wide);
    free(wide);
    return value;
}

static const char* Truth(const VARIANT* value) {
    return value->vt == VT_BOOL && value->u.boolVal != 0 ? "True" : "False";
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: open_with_dialog LIBRARY SETTINGS_FILE TABLE\n");
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "open_with_dialog: %s\n", dlerror());
        return 1;
    }
    HRESULT (*getClassObject)(const GUID*, const GUID*, void**) =
        (HRESULT(*)(const GUID*, const GUID*, void**))dlsym(library, "DllGetClassObject");
    SysAllocString = (BSTR(*)(const OLECHAR*))dlsym(library, "VendralSysAllocString");
    VariantClear = (HRESULT(*)(VARIANT*))dlsym(library, "VendralVariantClear");
    if (!getClassObject || !SysAllocString || !VariantClear) Fail("dlsym", -1);

    Factory* factory = NULL;
    HRESULT result = getClassObject(&CLSID_CDatabase, &IID_IClassFactory, (void**)&factory);
    if (result < 0) Fail("DllGetClassObject", result);
    Dispatch* db = NULL;
    result = factory->lpVtbl->CreateInstance(factory, NULL, &IID_IDispatch, (void**)&db);
    factory->lpVtbl->Release(factory);
    if (result < 0) Fail("CreateInstance", result);

    VARIANT args[2];
    args[1] = Text(argv[2]);
    memset(&args[0], 0, sizeof args[0]);
    args[0].vt = VT_I4;
    args[0].u.lVal = 1; /* OpenCentral */
    VARIANT opened, running;
    memset(&opened, 0, sizeof opened);
    memset(&running, 0, sizeof running);
    Call(db, "OpenODBC_DB", DISPATCH_METHOD, args, 2, &opened);
    VariantClear(&args[1]);
    Call(db, "dDatabaseIsRunning", DISPATCH_PROPERTYGET, NULL, 0, &running);
    printf("opened %s running %s\n", Truth(&opened), Truth(&running));
    if (running.vt == VT_BOOL && running.u.boolVal != 0) {
        VARIANT table = Text(argv[3]);
        VARIANT rows;
        memset(&rows, 0, sizeof rows);
        Call(db, "CountRecords", DISPATCH_METHOD, &table, 1, &rows);
        VariantClear(&table);
        long long count = rows.vt == VT_I4   ? rows.u.lVal
                          : rows.vt == VT_I2 ? rows.u.iVal
                          : rows.vt == VT_I8 ? rows.u.llVal
                                             : -1;
        printf("rows %lld\n", count);
        VariantClear(&rows);
    }
    VariantClear(&opened);
    VariantClear(&running);
    db->lpVtbl->Release(db);
    fflush(stdout);
    return 0;
}
