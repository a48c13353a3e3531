// The entry points, the class factory, interfaces, reference counts, the
// apartment rule and the registration, through dlopen only.
#include <filesystem>
#include <fstream>
#include <thread>

#include "com/com_support.h"
#include "vendral/com_client.h"

namespace vendral::test {
namespace {

const std::string kClsid = "{EAB3025D-64F0-4A4B-B906-24F70793B86D}";
const std::string kIid = "{81356B21-2762-4E68-AB15-28A82E638A6B}";
const std::string kLibid = "{65FAB692-1C9F-49CA-9363-153A02DAE5FE}";

std::string LibraryPath() {
    return std::filesystem::canonical(VENDRAL_LIBRARY_PATH).string();
}

using ServerTest = ComTest;

// The word of the type library key that the type library's own SYSKIND
// names, as a tool that follows the library's attributes looks it up.
std::string PlatformOfTypeLibrary() {
    IDispatch* db = ServerLibrary::Instance().NewDatabase();
    EXPECT_NE(db, nullptr);
    if (!db) return {};
    ITypeInfo* info = nullptr;
    ITypeLib* library = nullptr;
    TLIBATTR* attr = nullptr;
    std::string word;
    if (db->GetTypeInfo(0, 0, &info) == S_OK &&
        info->GetContainingTypeLib(&library, nullptr) == S_OK &&
        library->GetLibAttr(&attr) == S_OK) {
        static const char* const kWords[] = {"win16", "win32", "mac", "win64"};
        if (attr->syskind >= 0 && attr->syskind < 4) word = kWords[attr->syskind];
        library->ReleaseTLibAttr(attr);
    }
    if (library) library->Release();
    if (info) info->Release();
    db->Release();
    EXPECT_FALSE(word.empty()) << "the type library names no known platform";
    return word;
}

TEST_F(ServerTest, RegistrationWritesTheClassKeysAndUnregistrationLeavesForeignKeys) {
    {
        std::ofstream foreign(Scratch("registry.reg"));
        foreign << "REGEDIT4\n\n; kept by hand\n[HKEY_CLASSES_ROOT\\Other.Thing]\n@=\"Other\"\n"
                   "\"Size\"=dword:00000010\n\n[HKEY_CLASSES_ROOT\\CLSID\\{00000000-1111-2222-3333-"
                   "444444444444}\\InprocServer32]\n@=\"C:\\\\other\\\\x.dll\"\n";
    }
    ASSERT_EQ(ServerLibrary::Instance().Register(), S_OK);
    std::string text = RegistryText();
    EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
    const std::string root = "[HKEY_CLASSES_ROOT\\";
    EXPECT_NE(text.find(root + "CLSID\\" + kClsid + "]\n@=\"CDatabase\"\n"), std::string::npos);
    EXPECT_NE(text.find(root + "CLSID\\" + kClsid + "\\InprocServer32]\n@=\"" + LibraryPath() +
                        "\"\n\"ThreadingModel\"=\"Apartment\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(root + "CLSID\\" + kClsid + "\\ProgID]\n@=\"Vendral.CDatabase\"\n"),
              std::string::npos);
    EXPECT_NE(text.find(root + "Vendral.CDatabase\\CLSID]\n@=\"" + kClsid + "\"\n"),
              std::string::npos);
    // The class key names its type library, its version and the ProgID
    // that does not change between versions, as standard tools read them.
    EXPECT_NE(text.find(root + "CLSID\\" + kClsid + "\\VersionIndependentProgID]\n@=\"" +
                        "Vendral.CDatabase\"\n"),
              std::string::npos);
    EXPECT_NE(text.find(root + "CLSID\\" + kClsid + "\\Version]\n@=\"1.0\"\n"), std::string::npos);
    EXPECT_NE(text.find(root + "CLSID\\" + kClsid + "\\TypeLib]\n@=\"" + kLibid + "\"\n"),
              std::string::npos);
    EXPECT_NE(text.find(root + "Interface\\" + kIid + "]\n@=\"_CDatabase\"\n"), std::string::npos);
    EXPECT_NE(text.find(root + "TypeLib\\" + kLibid + "\\1.0]\n@=\"Vendral\"\n"),
              std::string::npos);
    // What type-library tools and early-binding clients read: the file that
    // holds the type information, the flags and the help folder, and per
    // interface its marshaller and its type library.
    const std::string version = root + "TypeLib\\" + kLibid + "\\1.0";
    const std::string platform = PlatformOfTypeLibrary();
    EXPECT_NE(text.find(version + "\\0\\" + platform + "]\n@=\"" + LibraryPath() + "\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(version + "\\FLAGS]\n@=\"0\"\n"), std::string::npos);
    EXPECT_NE(text.find(version + "\\HELPDIR]\n@=\"" +
                        std::filesystem::path(LibraryPath()).parent_path().string() + "\"\n"),
              std::string::npos);
    EXPECT_NE(text.find(root + "Interface\\" + kIid +
                        "\\ProxyStubClsid32]\n@=\"{00020424-0000-0000-C000-000000000046}\"\n"),
              std::string::npos);
    EXPECT_NE(text.find(root + "Interface\\" + kIid + "\\TypeLib]\n@=\"" + kLibid +
                        "\"\n\"Version\"=\"1.0\"\n"),
              std::string::npos);
    // Exactly these keys of the library and its class, and no other.
    std::vector<std::string> keys;
    for (std::size_t at = text.find("\n["); at != std::string::npos; at = text.find("\n[", at + 1))
        keys.push_back(text.substr(at + 2, text.find(']', at) - at - 2));
    const std::string hk = "HKEY_CLASSES_ROOT\\";
    const std::vector<std::string> expected = {
        hk + "Other.Thing",
        hk + "CLSID\\{00000000-1111-2222-3333-444444444444}\\InprocServer32",
        hk + "CLSID\\" + kClsid,
        hk + "CLSID\\" + kClsid + "\\InprocServer32",
        hk + "CLSID\\" + kClsid + "\\ProgID",
        hk + "CLSID\\" + kClsid + "\\VersionIndependentProgID",
        hk + "CLSID\\" + kClsid + "\\Version",
        hk + "CLSID\\" + kClsid + "\\TypeLib",
        hk + "Vendral.CDatabase",
        hk + "Vendral.CDatabase\\CLSID",
        hk + "Interface\\" + kIid,
        hk + "Interface\\" + kIid + "\\ProxyStubClsid32",
        hk + "Interface\\" + kIid + "\\TypeLib",
        hk + "TypeLib\\" + kLibid,
        hk + "TypeLib\\" + kLibid + "\\1.0",
        hk + "TypeLib\\" + kLibid + "\\1.0\\0",
        hk + "TypeLib\\" + kLibid + "\\1.0\\0\\" + platform,
        hk + "TypeLib\\" + kLibid + "\\1.0\\FLAGS",
        hk + "TypeLib\\" + kLibid + "\\1.0\\HELPDIR"};
    EXPECT_EQ(keys, expected);
    // The widget classes are served by their own library, not by this one.
    EXPECT_EQ(text.find("Vendral.CProgressBar"), std::string::npos);

    // A second registration changes nothing.
    ASSERT_EQ(ServerLibrary::Instance().Register(), S_OK);
    EXPECT_EQ(RegistryText(), text);

    ASSERT_EQ(ServerLibrary::Instance().Unregister(), S_OK);
    EXPECT_EQ(RegistryText(),
              "REGEDIT4\n\n; kept by hand\n\n[HKEY_CLASSES_ROOT\\Other.Thing]\n@=\"Other\"\n"
              "\"Size\"=dword:00000010\n\n[HKEY_CLASSES_ROOT\\CLSID\\{00000000-1111-2222-3333-"
              "444444444444}\\InprocServer32]\n@=\"C:\\\\other\\\\x.dll\"\n\n")
        << RegistryText();
}

TEST_F(ServerTest, ConcurrentRegistrationsLoseNoKey) {
    {
        std::ofstream foreign(Scratch("registry.reg"));
        foreign << "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\Other.Thing]\n@=\"Other\"\n";
    }
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([] { EXPECT_EQ(ServerLibrary::Instance().Register(), S_OK); });
    for (auto& t : threads) t.join();
    std::string text = RegistryText();
    EXPECT_NE(text.find("Other.Thing"), std::string::npos);
    EXPECT_NE(text.find("Vendral.CDatabase\\CLSID]"), std::string::npos);
    EXPECT_EQ(text.find("Vendral.CDatabase\\CLSID]"), text.rfind("Vendral.CDatabase\\CLSID]"));
}

TEST_F(ServerTest, FactoryServesOnlyItsClassesAndObjectsAnswerTheirInterfaces) {
    auto& library = ServerLibrary::Instance();
    void* raw = reinterpret_cast<void*>(1);
    EXPECT_EQ(library.GetClassObject(CLSID_CProgressBar, IID_IClassFactory, &raw),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(library.GetClassObject(CLSID_CDatabase, IID_IDispatch, &raw), E_NOINTERFACE);

    ASSERT_EQ(library.GetClassObject(CLSID_CDatabase, IID_IClassFactory, &raw), S_OK);
    auto* factory = static_cast<IClassFactory*>(raw);
    void* object = nullptr;
    auto* outer = reinterpret_cast<IUnknown*>(factory);
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID__CDatabase, &object), S_OK);
    factory->Release();
    auto* db = static_cast<IDispatch*>(object);

    void* other = nullptr;
    for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &IID__CDatabase}) {
        ASSERT_EQ(db->QueryInterface(*iid, &other), S_OK);
        EXPECT_EQ(other, db);  // one object identity
        static_cast<IUnknown*>(other)->Release();
    }
    EXPECT_EQ(db->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(db->QueryInterface(IID__CProgressBar, &other), E_NOINTERFACE);
    db->Release();
}

TEST_F(ServerTest, ReferenceCountsAndUnloading) {
    auto& library = ServerLibrary::Instance();
    EXPECT_EQ(library.CanUnloadNow(), S_OK);
    IDispatch* db = library.NewDatabase();
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(library.CanUnloadNow(), S_FALSE);
    EXPECT_EQ(db->AddRef(), 2u);
    EXPECT_EQ(db->Release(), 1u);
    // An object handed out by the object keeps the library in use too.
    CallResult connection = Get(db, "dDatabase");
    ASSERT_EQ(connection.Result, S_OK);
    EXPECT_EQ(db->Release(), 0u);
    EXPECT_EQ(library.CanUnloadNow(), S_FALSE);
    VariantClear(&connection.Value);
    EXPECT_EQ(library.CanUnloadNow(), S_OK);

    void* raw = nullptr;
    ASSERT_EQ(library.GetClassObject(CLSID_CDatabase, IID_IClassFactory, &raw), S_OK);
    auto* factory = static_cast<IClassFactory*>(raw);
    EXPECT_EQ(factory->LockServer(1), S_OK);
    factory->Release();
    EXPECT_EQ(library.CanUnloadNow(), S_FALSE);
    ASSERT_EQ(library.GetClassObject(CLSID_CDatabase, IID_IClassFactory, &raw), S_OK);
    factory = static_cast<IClassFactory*>(raw);
    EXPECT_EQ(factory->LockServer(0), S_OK);
    factory->Release();
    EXPECT_EQ(library.CanUnloadNow(), S_OK);
}

TEST_F(ServerTest, CallsFromAnotherThreadAreRefused) {
    IDispatch* db = ServerLibrary::Instance().NewDatabase();
    ASSERT_NE(db, nullptr);
    ASSERT_EQ(Put(db, "AssociateID", I4(7)).Result, S_OK);
    HRESULT fromOther = S_OK, namesFromOther = S_OK;
    std::thread([&] {
        IdOf(db, "AssociateID", &namesFromOther);
        fromOther = Put(db, "AssociateID", I4(99)).Result;
    }).join();
    EXPECT_EQ(namesFromOther, RPC_E_WRONG_THREAD);
    EXPECT_EQ(fromOther, RPC_E_WRONG_THREAD);
    CallResult value = Get(db, "AssociateID");
    ASSERT_EQ(value.Result, S_OK);
    EXPECT_EQ(value.Value.vt, VT_I4);
    EXPECT_EQ(value.Value.lVal, 7);  // the refused call did nothing
    db->Release();
}

TEST_F(ServerTest, ClientCreatesByProgIdThroughTheRegistryAndFreesUnusedLibraries) {
    // Not registered and no manifest: a clear refusal naming the registry file.
    try {
        com::CreateObject("Vendral.CDatabase", IID_IDispatch);
        ADD_FAILURE() << "created without a registration";
    } catch (const com::ActivationError& error) {
        EXPECT_EQ(error.Result(), REGDB_E_CLASSNOTREG);
        EXPECT_EQ(std::string(error.what()),
                  "Vendral.CDatabase is not registered in " + Scratch("registry.reg") +
                      "; register its library with: vendral-regsvr LIBRARY");
    }
    // Registration-free: the manifest names the library.
    com::Activation how;
    com::ClassManifest manifest{"Vendral.CDatabase", CLSID_CDatabase, LibraryPath()};
    IUnknown* object = com::CreateObject("Vendral.CDatabase", IID_IDispatch, manifest, &how);
    ASSERT_NE(object, nullptr);
    EXPECT_FALSE(how.FromRegistry);
    EXPECT_EQ(how.Library, LibraryPath());
    object->Release();

    ASSERT_EQ(ServerLibrary::Instance().Register(), S_OK);
    for (const std::string& name :
         {std::string("Vendral.CDatabase"), std::string("vendral.cdatabase"), kClsid}) {
        object = com::CreateObject(name, IID__CDatabase, std::nullopt, &how);
        ASSERT_NE(object, nullptr) << name;
        EXPECT_TRUE(how.FromRegistry);
        EXPECT_EQ(how.Library, LibraryPath());
        EXPECT_EQ(how.RegistryFile, Scratch("registry.reg"));
        com::FreeUnusedLibraries();  // the object still holds the library
        CallResult prefix =
            Get(static_cast<IDispatch*>(static_cast<void*>(object)), "CentralDatabasePrefix");
        EXPECT_EQ(prefix.Text(), "CRM5.");
        object->Release();
    }
    com::FreeUnusedLibraries();
    EXPECT_EQ(ServerLibrary::Instance().CanUnloadNow(), S_OK);
}

TEST_F(ServerTest, ARegistrationWhoseLibraryIsMissingSaysHowToRegisterAgain) {
    std::ofstream(Scratch("registry.reg"))
        << "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\Vendral.CDatabase\\CLSID]\n@=\"" << kClsid
        << "\"\n\n[HKEY_CLASSES_ROOT\\CLSID\\" << kClsid << "\\InprocServer32]\n@=\""
        << Scratch("gone/libvendral.so.1") << "\"\n";
    com::ClassManifest manifest{"Vendral.CDatabase", CLSID_CDatabase, LibraryPath()};
    try {
        com::CreateObject("Vendral.CDatabase", IID_IDispatch, manifest);
        ADD_FAILURE() << "created from a library that is not there";
    } catch (const com::ActivationError& error) {
        std::string text = error.what();
        EXPECT_EQ(text.rfind("Vendral.CDatabase is registered in " + Scratch("registry.reg") +
                                 " with the library " + Scratch("gone/libvendral.so.1") +
                                 ", which cannot be loaded (",
                             0),
                  0u)
            << text;
        EXPECT_NE(text.find("; register the library again with: vendral-regsvr " + LibraryPath()),
                  std::string::npos)
            << text;
    }
}

}  // namespace
}  // namespace vendral::test
