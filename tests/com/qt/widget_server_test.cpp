// The widget library as a component server, through its entry points only:
// the library is loaded with dlopen and its classes are never linked. The
// test program links Qt itself only to look at the widgets the served objects
// make. Every test runs in a process of its own, so each one starts without a
// QApplication, as a client that is no Qt program does.
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "com/com_support.h"
#include "vendral/com_client.h"

namespace vendral::test {
namespace {

const std::string kProgressBarClsid = "{94E54D97-3520-417B-BD23-A24D742D35D2}";
const std::string kProgressBarIid = "{BD9CF904-8AE5-4975-A705-ED9B0381B4E6}";
const std::string kSplashClsid = "{63A0A208-4087-4C52-8AD4-FDAD9C1E89A6}";
const std::string kSplashIid = "{E231EDF6-3FAD-411D-B5F6-65335DF840A3}";
constexpr SCODE kDivisionByZero = static_cast<SCODE>(0x800A000B);
constexpr SCODE kInvalidPropertyValue = static_cast<SCODE>(0x800A017C);
constexpr SCODE kNotInitialized = static_cast<SCODE>(0x800401F0);

std::string WidgetLibraryPath() {
    return std::filesystem::canonical(VENDRAL_WIDGETS_LIBRARY_PATH).string();
}

// The widget library, loaded for the whole test program.
class WidgetLibrary {
  public:
    static WidgetLibrary& Instance() {
        static WidgetLibrary library;
        return library;
    }
    template <class F>
    F Entry(const char* name) const {
        return reinterpret_cast<F>(dlsym(handle_, name));
    }
    HRESULT GetClassObject(const CLSID& clsid, const IID& iid, void** out) const {
        return Entry<DllGetClassObjectFunction>("DllGetClassObject")(&clsid, &iid, out);
    }
    HRESULT CanUnloadNow() const { return Entry<DllCanUnloadNowFunction>("DllCanUnloadNow")(); }
    HRESULT Register() const { return Entry<DllRegisterServerFunction>("DllRegisterServer")(); }
    HRESULT Unregister() const { return Entry<DllRegisterServerFunction>("DllUnregisterServer")(); }
    IDispatch* New(const CLSID& clsid) const {
        void* raw = nullptr;
        if (FAILED(GetClassObject(clsid, IID_IClassFactory, &raw))) return nullptr;
        auto* factory = static_cast<IClassFactory*>(raw);
        void* object = nullptr;
        HRESULT hr = factory->CreateInstance(nullptr, IID_IDispatch, &object);
        factory->Release();
        return SUCCEEDED(hr) ? static_cast<IDispatch*>(object) : nullptr;
    }

  private:
    WidgetLibrary() {
        handle_ = dlopen(VENDRAL_WIDGETS_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!handle_) throw std::runtime_error(std::string("cannot load: ") + dlerror());
    }
    void* handle_;
};

// A form of the client: a dispatch object with the hWnd (and Width, in
// twips) of a widget of this program.
class ClientForm final : public IDispatch {
  public:
    explicit ClientForm(std::int32_t hWnd) : hWnd_(hWnd) {}
    HRESULT QueryInterface(const IID& iid, void** out) override {
        *out = nullptr;
        if (!(iid == IID_IUnknown || iid == IID_IDispatch)) return E_NOINTERFACE;
        AddRef();
        *out = this;
        return S_OK;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override { return --references_; }  // lives on the test's stack
    ULONG References() const { return references_; }
    HRESULT GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(const IID&, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        if (std::u16string(names[0]) == u"hWnd") {
            ids[0] = 1;
            return S_OK;
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT Invoke(DISPID id, const IID&, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                   EXCEPINFO*, UINT*) override {
        if (id != 1 || !(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
        result->vt = VT_I4;
        result->lVal = hWnd_;
        return S_OK;
    }

  private:
    std::int32_t hWnd_;
    std::atomic<ULONG> references_{1};
};

class WidgetServerTest : public ComTest {
  protected:
    void SetUp() override {
        ComTest::SetUp();
        // Qt's platform without a screen; a client's environment chooses it.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ASSERT_EQ(QCoreApplication::instance(), nullptr) << "each test starts without one";
    }
    static std::string PeFile(const std::string& name) {
        return std::string(PE_TEST_DIR) + "/" + name;
    }
};

// The splash form on screen: the top-level widget holding Picture1.
QWidget* SplashForm() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->findChild<QWidget*>("Picture1")) return window;
    return nullptr;
}

TEST_F(WidgetServerTest, RegistrationWritesExactlyTheTwoClassesAndUnregistrationKeepsOtherKeys) {
    {
        std::ofstream foreign(Scratch("registry.reg"));
        foreign << "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\Other.Thing]\n@=\"Other\"\n";
    }
    // CDatabase registered by the core library stays when the widget library goes.
    ASSERT_EQ(ServerLibrary::Instance().Register(), S_OK);
    auto& library = WidgetLibrary::Instance();
    ASSERT_EQ(library.Register(), S_OK);
    std::string text = RegistryText();
    const std::string root = "[HKEY_CLASSES_ROOT\\";
    const std::string path = WidgetLibraryPath();
    for (auto [name, clsid, iid] : {std::tuple{"CProgressBar", kProgressBarClsid, kProgressBarIid},
                                    std::tuple{"CSplash", kSplashClsid, kSplashIid}}) {
        const std::string n = name;
        EXPECT_NE(text.find(root + "CLSID\\" + clsid + "]\n@=\"" + n + "\"\n"), std::string::npos)
            << n;
        EXPECT_NE(text.find(root + "CLSID\\" + clsid + "\\InprocServer32]\n@=\"" + path +
                            "\"\n\"ThreadingModel\"=\"Apartment\"\n"),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find(root + "CLSID\\" + clsid + "\\ProgID]\n@=\"Vendral." + n + "\"\n"),
                  std::string::npos);
        EXPECT_NE(text.find(root + "Vendral." + n + "\\CLSID]\n@=\"" + clsid + "\"\n"),
                  std::string::npos);
        EXPECT_NE(text.find(root + "Interface\\" + iid + "]\n@=\"_" + n + "\"\n"),
                  std::string::npos);
        // Every served class's key names its type library, version and
        // version-independent ProgID.
        EXPECT_NE(text.find(root + "CLSID\\" + clsid + "\\VersionIndependentProgID]\n@=\"Vendral." +
                            n + "\"\n"),
                  std::string::npos)
            << n;
        EXPECT_NE(text.find(root + "CLSID\\" + clsid + "\\Version]\n@=\"1.0\"\n"),
                  std::string::npos)
            << n;
        EXPECT_NE(text.find(root + "CLSID\\" + clsid +
                            "\\TypeLib]\n@=\"{65FAB692-1C9F-49CA-9363-153A02DAE5FE}\"\n"),
                  std::string::npos)
            << n;
    }
    // The type library key is the core library's; written once.
    const std::string version = "\\TypeLib\\{65FAB692-1C9F-49CA-9363-153A02DAE5FE}\\1.0]";
    ASSERT_NE(text.find(version), std::string::npos);
    EXPECT_EQ(text.find(version), text.rfind(version));
    ASSERT_EQ(library.Register(), S_OK);
    EXPECT_EQ(RegistryText(), text);

    ASSERT_EQ(library.Unregister(), S_OK);
    text = RegistryText();
    EXPECT_EQ(text.find("CProgressBar"), std::string::npos) << text;
    EXPECT_EQ(text.find("CSplash"), std::string::npos) << text;
    EXPECT_EQ(text.find(kProgressBarClsid), std::string::npos);
    EXPECT_NE(text.find(root + "Other.Thing]\n@=\"Other\"\n"), std::string::npos);
    EXPECT_NE(text.find(root + "Vendral.CDatabase\\CLSID]"), std::string::npos);
    EXPECT_NE(text.find("\\TypeLib\\"), std::string::npos);
    // Registered again by the registration tool, as an administrator would.
    std::string command = std::string(VENDRAL_REGSVR_PATH) + " " + VENDRAL_WIDGETS_LIBRARY_PATH +
                          " > " + Scratch("regsvr.log");
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_NE(RegistryText().find(root + "Vendral.CSplash\\CLSID]"), std::string::npos);
}

TEST_F(WidgetServerTest, FactoriesServeOnlyTheWidgetClassesAndObjectsAnswerTheirInterfaces) {
    auto& library = WidgetLibrary::Instance();
    void* raw = reinterpret_cast<void*>(1);
    EXPECT_EQ(library.GetClassObject(CLSID_CDatabase, IID_IClassFactory, &raw),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(raw, nullptr);
    for (auto [clsid, own, other] :
         {std::tuple{&CLSID_CProgressBar, &IID__CProgressBar, &IID__CSplash},
          std::tuple{&CLSID_CSplash, &IID__CSplash, &IID__CProgressBar}}) {
        ASSERT_EQ(library.GetClassObject(*clsid, IID_IClassFactory, &raw), S_OK);
        auto* factory = static_cast<IClassFactory*>(raw);
        void* object = nullptr;
        ASSERT_EQ(factory->CreateInstance(nullptr, *own, &object), S_OK);
        factory->Release();
        auto* dispatch = static_cast<IDispatch*>(object);
        void* answer = nullptr;
        for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, own}) {
            ASSERT_EQ(dispatch->QueryInterface(*iid, &answer), S_OK);
            EXPECT_EQ(answer, dispatch);
            static_cast<IUnknown*>(answer)->Release();
        }
        for (const IID* iid : {other, &IID__CDatabase, &IID_IClassFactory}) {
            EXPECT_EQ(dispatch->QueryInterface(*iid, &answer), E_NOINTERFACE);
            EXPECT_EQ(answer, nullptr);
        }
        EXPECT_EQ(dispatch->Release(), 0u);
    }
}

TEST_F(WidgetServerTest, TheLibraryCanUnloadOnlyWhenNoObjectAndNoLockIsAlive) {
    auto& library = WidgetLibrary::Instance();
    EXPECT_EQ(library.CanUnloadNow(), S_OK);
    IDispatch* bar = library.New(CLSID_CProgressBar);
    IDispatch* splash = library.New(CLSID_CSplash);
    ASSERT_TRUE(bar && splash);
    EXPECT_EQ(library.CanUnloadNow(), S_FALSE);
    EXPECT_EQ(bar->AddRef(), 2u);
    EXPECT_EQ(bar->Release(), 1u);
    EXPECT_EQ(bar->Release(), 0u);
    EXPECT_EQ(library.CanUnloadNow(), S_FALSE);  // the splash is still alive
    EXPECT_EQ(splash->Release(), 0u);
    EXPECT_EQ(library.CanUnloadNow(), S_OK);

    void* raw = nullptr;
    ASSERT_EQ(library.GetClassObject(CLSID_CSplash, IID_IClassFactory, &raw), S_OK);
    auto* factory = static_cast<IClassFactory*>(raw);
    EXPECT_EQ(factory->LockServer(1), S_OK);
    factory->Release();
    EXPECT_EQ(library.CanUnloadNow(), S_FALSE);
    ASSERT_EQ(library.GetClassObject(CLSID_CSplash, IID_IClassFactory, &raw), S_OK);
    factory = static_cast<IClassFactory*>(raw);
    EXPECT_EQ(factory->LockServer(0), S_OK);
    factory->Release();
    EXPECT_EQ(library.CanUnloadNow(), S_OK);
    // The core library's count is its own.
    EXPECT_EQ(ServerLibrary::Instance().CanUnloadNow(), S_OK);
}

TEST_F(WidgetServerTest, ClientCreatesBothClassesByProgIdFromTheRegisteredLibrary) {
    ASSERT_EQ(WidgetLibrary::Instance().Register(), S_OK);
    for (const std::string name :
         {std::string("Vendral.CProgressBar"), std::string("vendral.cprogressbar"),
          std::string("Vendral.CSplash"), kSplashClsid}) {
        com::Activation how;
        IUnknown* object = com::CreateObject(name, IID_IDispatch, std::nullopt, &how);
        ASSERT_NE(object, nullptr) << name;
        EXPECT_TRUE(how.FromRegistry);
        EXPECT_EQ(how.Library, WidgetLibraryPath());
        auto* dispatch = static_cast<IDispatch*>(static_cast<void*>(object));
        HRESULT found = E_FAIL;
        IdOf(dispatch,
             name.find("Splash") != std::string::npos || name == kSplashClsid ? "ShowSplash"
                                                                              : "MaxValue",
             &found);
        EXPECT_EQ(found, S_OK) << name;
        object->Release();
    }
    com::FreeUnusedLibraries();
    EXPECT_EQ(WidgetLibrary::Instance().CanUnloadNow(), S_OK);
}

TEST_F(WidgetServerTest, NamesAreFoundWithoutRegardToCase) {
    IDispatch* bar = WidgetLibrary::Instance().New(CLSID_CProgressBar);
    IDispatch* splash = WidgetLibrary::Instance().New(CLSID_CSplash);
    ASSERT_TRUE(bar && splash);
    HRESULT hr = E_FAIL;
    DISPID max = IdOf(bar, "MaxValue", &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(IdOf(bar, "maxVALUE"), max);
    EXPECT_EQ(IdOf(bar, "setprogbarpos"), IdOf(bar, "SetProgBarPos"));
    EXPECT_NE(IdOf(bar, "SethWndParent"), IdOf(bar, "ProgBarHwnd"));
    EXPECT_EQ(IdOf(splash, "SHOWSPLASH"), IdOf(splash, "ShowSplash"));
    EXPECT_EQ(IdOf(splash, "loadstep"), IdOf(splash, "LoadStep"));
    EXPECT_NE(IdOf(splash, "ShowSplash"), DISPID_UNKNOWN);
    EXPECT_EQ(IdOf(splash, "MaxValue", &hr), DISPID_UNKNOWN);
    EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);
    EXPECT_EQ(IdOf(bar, "CountRecords", &hr), DISPID_UNKNOWN);
    EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);
    // Looking names up makes no windows and no application.
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    bar->Release();
    splash->Release();
}

// The members in the order of the class's interface, as the type information
// and the table of entries after the seven IDispatch ones give them.
std::vector<std::string> MembersInOrder(IDispatch* object, const IID& iid,
                                        std::map<std::string, int>* putSlots = nullptr,
                                        std::map<std::string, int>* getSlots = nullptr) {
    ITypeInfo* info = nullptr;
    EXPECT_EQ(object->GetTypeInfo(0, 0, &info), S_OK);
    if (!info) return {};
    TYPEATTR* attr = nullptr;
    EXPECT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(attr->guid == iid);
    const int functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    std::vector<std::string> order;
    for (int i = 0; i < functions; ++i) {
        FUNCDESC* desc = nullptr;
        EXPECT_EQ(info->GetFuncDesc(i, &desc), S_OK);
        BSTR names[8] = {};
        UINT got = 0;
        EXPECT_EQ(info->GetNames(desc->memid, names, 8, &got), S_OK);
        std::string name = Narrow(names[0], SysStringLen(names[0]));
        for (UINT k = 0; k < got; ++k) SysFreeString(names[k]);
        EXPECT_EQ(desc->oVft, static_cast<int>((7 + i) * sizeof(void*)));
        if (name == "Create") {
            EXPECT_EQ(desc->cParams, 5);
            EXPECT_EQ(desc->cParamsOpt, 5);
        }
        int slot = desc->oVft / static_cast<int>(sizeof(void*));
        if (putSlots && (desc->invkind & INVOKE_PROPERTYPUT)) (*putSlots)[name] = slot;
        if (getSlots && desc->invkind == INVOKE_PROPERTYGET) (*getSlots)[name] = slot;
        if (order.empty() || order.back() != name) order.push_back(name);
        info->ReleaseFuncDesc(desc);
    }
    info->Release();
    return order;
}

TEST_F(WidgetServerTest, TypeInformationAndTheDualInterfaceFollowTheInterfaceOrder) {
    IDispatch* bar = WidgetLibrary::Instance().New(CLSID_CProgressBar);
    IDispatch* splash = WidgetLibrary::Instance().New(CLSID_CSplash);
    ASSERT_TRUE(bar && splash);
    std::map<std::string, int> putSlots, getSlots;
    EXPECT_EQ(MembersInOrder(bar, IID__CProgressBar, &putSlots, &getSlots),
              (std::vector<std::string>{"SetBackColor", "SetBarColor", "SetProgVert", "Create",
                                        "Parent", "DestroyProgBar", "ClearProgBar", "SetProgBarPos",
                                        "DelayProgBar", "SethWndParent", "ProgBarHwnd", "Raise",
                                        "StepValue", "MaxValue"}));
    EXPECT_EQ(MembersInOrder(splash, IID__CSplash),
              (std::vector<std::string>{"ShowSplash", "LoadStep"}));

    auto table = *reinterpret_cast<void* const* const*>(bar);
    // A 32-bit property: its value as a long, read into a long.
    using PutEntry = HRESULT (*)(IDispatch*, std::int32_t);
    using GetEntry = HRESULT (*)(IDispatch*, std::int32_t*);
    ASSERT_EQ(reinterpret_cast<PutEntry>(table[putSlots["MaxValue"]])(bar, 250), S_OK);
    std::int32_t read = 0;
    ASSERT_EQ(reinterpret_cast<GetEntry>(table[getSlots["MaxValue"]])(bar, &read), S_OK);
    EXPECT_EQ(read, 250);
    bar->Release();
    splash->Release();
}

TEST_F(WidgetServerTest, TypeInformationTypesTheParametersAndNamesItsLibrary) {
    IDispatch* bar = WidgetLibrary::Instance().New(CLSID_CProgressBar);
    ASSERT_TRUE(bar);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(bar->GetTypeInfo(0, 0, &info), S_OK);
    std::map<std::string, std::vector<VARTYPE>> parameters;
    std::map<std::string, VARTYPE> reads;
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    const int functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (int i = 0; i < functions; ++i) {
        FUNCDESC* desc = nullptr;
        ASSERT_EQ(info->GetFuncDesc(i, &desc), S_OK);
        BSTR name = nullptr;
        UINT got = 0;
        ASSERT_EQ(info->GetNames(desc->memid, &name, 1, &got), S_OK);
        auto& types = parameters[Narrow(name, SysStringLen(name)) +
                                 (desc->invkind == INVOKE_FUNC ? "" : "/property")];
        if (desc->invkind == INVOKE_PROPERTYGET)
            reads[Narrow(name, SysStringLen(name))] = desc->elemdescFunc.tdesc.vt;
        SysFreeString(name);
        for (int k = 0; k < desc->cParams; ++k)
            types.push_back(desc->lprgelemdescParam[k].tdesc.vt);
        info->ReleaseFuncDesc(desc);
    }
    EXPECT_EQ(parameters["SetBackColor"], (std::vector<VARTYPE>{VT_I4}));
    EXPECT_EQ(parameters["SetProgVert"], (std::vector<VARTYPE>{VT_BOOL}));
    EXPECT_EQ(parameters["DelayProgBar"], (std::vector<VARTYPE>{VT_I2}));
    EXPECT_EQ(parameters["Create"],
              (std::vector<VARTYPE>{VT_VARIANT, VT_VARIANT, VT_VARIANT, VT_VARIANT, VT_BOOL}));
    // Every property reads as its type, also one that is only read.
    EXPECT_EQ(reads, (std::map<std::string, VARTYPE>{{"Parent", VT_DISPATCH},
                                                     {"SethWndParent", VT_I4},
                                                     {"ProgBarHwnd", VT_I4},
                                                     {"MaxValue", VT_I4}}));

    // The containing library is the one of the process: CDatabase, both widget
    // classes with their interfaces, and the enumerations.
    ITypeLib* library = nullptr;
    UINT index = 99;
    ASSERT_EQ(info->GetContainingTypeLib(&library, &index), S_OK);
    ASSERT_NE(library, nullptr);
    TLIBATTR* libAttr = nullptr;
    ASSERT_EQ(library->GetLibAttr(&libAttr), S_OK);
    EXPECT_TRUE(libAttr->guid == LIBID_Vendral);
    library->ReleaseTLibAttr(libAttr);
    std::vector<std::string> listed;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        BSTR name = nullptr;
        ASSERT_EQ(library->GetDocumentation(static_cast<std::int32_t>(i), &name, nullptr, nullptr,
                                            nullptr),
                  S_OK);
        listed.push_back(Narrow(name, SysStringLen(name)));
        SysFreeString(name);
    }
    EXPECT_EQ(listed, (std::vector<std::string>{"CDatabase", "_CDatabase", "CProgressBar",
                                                "_CProgressBar", "CSplash", "_CSplash",
                                                "OpenDatabase", "ComboLists", "UDFType"}));
    EXPECT_EQ(listed.at(index), "_CProgressBar");
    library->Release();
    info->Release();
    bar->Release();
}

TEST_F(WidgetServerTest, ProgressBarMembersByLateBindingOnAParentOfTheClient) {
    IDispatch* bar = WidgetLibrary::Instance().New(CLSID_CProgressBar);
    ASSERT_NE(bar, nullptr);
    // Without a parent nothing is made; the first call made the application.
    CallResult created = Method(bar, "Create");
    ASSERT_EQ(created.Result, S_OK) << created.Description;
    EXPECT_EQ(created.Value.vt, VT_BOOL);
    EXPECT_EQ(created.Value.boolVal, VARIANT_FALSE);
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(application->thread(), QThread::currentThread());

    ASSERT_EQ(Put(bar, "MaxValue", I4(5000)).Result, S_OK);
    CallResult max = Get(bar, "MaxValue");
    EXPECT_EQ(max.Value.vt, VT_I4);
    EXPECT_EQ(max.Value.lVal, 5000);
    // A text argument converts as an automation client expects.
    ASSERT_EQ(Put(bar, "SethWndParent", Str("0")).Result, S_OK);
    CallResult parentWindow = Get(bar, "SethWndParent");
    EXPECT_EQ(parentWindow.Value.vt, VT_I4);
    EXPECT_EQ(parentWindow.Value.lVal, 0);
    EXPECT_EQ(Get(bar, "ProgBarHwnd").Value.lVal, 0);

    QWidget form;
    form.resize(145, 40);
    form.show();
    ClientForm client(static_cast<std::int32_t>(form.winId()));
    ASSERT_EQ(Put(bar, "Parent", Object(&client), DISPATCH_PROPERTYPUTREF).Result, S_OK);
    CallResult parent = Get(bar, "Parent");
    ASSERT_EQ(parent.Value.vt, VT_DISPATCH);
    EXPECT_EQ(parent.Value.pdispVal, &client);
    VariantClear(&parent.Value);
    CallResult made = Method(bar, "Create", {Missing(), I4(5), Missing(), Missing(), Bool(true)});
    ASSERT_EQ(made.Result, S_OK) << made.Description;
    EXPECT_EQ(made.Value.boolVal, VARIANT_TRUE);
    CallResult handle = Get(bar, "ProgBarHwnd");
    ASSERT_EQ(handle.Value.vt, VT_I4);
    auto* shown = qobject_cast<QProgressBar*>(
        QWidget::find(static_cast<WId>(std::uint32_t(handle.Value.lVal))));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->parentWidget(), &form);
    EXPECT_EQ(shown->geometry(), QRect(0, 5, 145, 20));

    ASSERT_EQ(Method(bar, "SetProgBarPos", {I4(70)}).Result, S_OK);
    EXPECT_EQ(shown->value(), 70);
    for (int n = 1; n <= 49; ++n) ASSERT_EQ(Put(bar, "Raise", I4(n)).Result, S_OK);
    EXPECT_EQ(shown->value(), 70);  // a step of 50: nothing moved
    ASSERT_EQ(Put(bar, "Raise", I4(50)).Result, S_OK);
    EXPECT_EQ(shown->value(), 1);  // the counter's value, not the shown one
    ASSERT_EQ(Method(bar, "ClearProgBar").Result, S_OK);
    EXPECT_EQ(shown->value(), 0);
    ASSERT_EQ(Method(bar, "DelayProgBar", {I2(1)}).Result, S_OK);

    // A window that is none of this program's widgets is refused.
    ClientForm stranger(0x7ffffff0);
    CallResult refused = Put(bar, "Parent", Object(&stranger), DISPATCH_PROPERTYPUTREF);
    EXPECT_EQ(refused.Result, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.Number, kInvalidPropertyValue);
    EXPECT_NE(refused.Description.find("2147483632"), std::string::npos) << refused.Description;
    EXPECT_EQ(stranger.References(), 1u);
    EXPECT_EQ(Get(bar, "Parent").Value.pdispVal, &client);  // unchanged

    ASSERT_EQ(Method(bar, "DestroyProgBar").Result, S_OK);
    EXPECT_EQ(QWidget::find(static_cast<WId>(std::uint32_t(handle.Value.lVal))), nullptr);
    bar->Release();
    EXPECT_EQ(client.References(), 1u);  // the parent object was released with the bar
}

TEST_F(WidgetServerTest, AnErrorInsideAMemberComesBackAsAnException) {
    IDispatch* bar = WidgetLibrary::Instance().New(CLSID_CProgressBar);
    ASSERT_NE(bar, nullptr);
    // No MaxValue yet: the step is 0.
    CallResult failed = Put(bar, "Raise", I4(3));
    EXPECT_EQ(failed.Result, DISP_E_EXCEPTION);
    EXPECT_EQ(failed.Description, "Division by zero");
    EXPECT_EQ(failed.Source, "Vendral");
    EXPECT_EQ(failed.Number, kDivisionByZero);
    EXPECT_EQ(Put(bar, "MaxValue", Str("many")).Result, DISP_E_TYPEMISMATCH);
    bar->Release();

    IDispatch* splash = WidgetLibrary::Instance().New(CLSID_CSplash);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(Method(splash, "LoadStep").Result, S_OK);  // reports item 0
    CallResult second = Method(splash, "LoadStep");
    EXPECT_EQ(second.Result, DISP_E_EXCEPTION);
    EXPECT_EQ(second.Number, kDivisionByZero);
    splash->Release();
}

TEST_F(WidgetServerTest, SplashShowsTheFileVersionAndStepsAndClosesOnRelease) {
    IDispatch* splash = WidgetLibrary::Instance().New(CLSID_CSplash);
    ASSERT_NE(splash, nullptr);
    CallResult shown = Method(splash, "ShowSplash", {Str(PeFile("abc.exe"))});
    ASSERT_EQ(shown.Result, S_OK) << shown.Description;
    EXPECT_EQ(shown.Value.vt, VT_EMPTY);
    QWidget* form = SplashForm();
    ASSERT_NE(form, nullptr);
    QList<QLabel*> labels = form->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(labels.size(), 5);
    EXPECT_EQ(labels[0]->text(), "Application:");
    EXPECT_EQ(labels[1]->text(), "ABC");
    EXPECT_EQ(labels[2]->text(), "Version:");
    EXPECT_EQ(labels[3]->text(), "2.1.0.5");
    QList<QProgressBar*> bars = form->findChildren<QProgressBar*>();
    ASSERT_EQ(bars.size(), 1);
    for (int call = 0; call < 11; ++call) ASSERT_EQ(Method(splash, "loadstep").Result, S_OK);
    EXPECT_EQ(bars.front()->value(), 100);

    // A file without version resource keeps the captions of the last file.
    ASSERT_EQ(Method(splash, "ShowSplash", {Str(PeFile("plain.exe"))}).Result, S_OK);
    EXPECT_EQ(labels[1]->text(), "ABC");
    EXPECT_EQ(splash->Release(), 0u);
    EXPECT_EQ(SplashForm(), nullptr);
}

TEST_F(WidgetServerTest, CallsFromAnotherThreadAreRefusedAndChangeNothing) {
    IDispatch* bar = WidgetLibrary::Instance().New(CLSID_CProgressBar);
    IDispatch* splash = WidgetLibrary::Instance().New(CLSID_CSplash);
    ASSERT_TRUE(bar && splash);
    ASSERT_EQ(Put(bar, "MaxValue", I4(20)).Result, S_OK);
    HRESULT put = S_OK, names = S_OK, shown = S_OK;
    std::thread([&] {
        IdOf(bar, "MaxValue", &names);
        put = Put(bar, "MaxValue", I4(99)).Result;
        shown = Method(splash, "ShowSplash", {Str(PeFile("abc.exe"))}).Result;
    }).join();
    EXPECT_EQ(names, RPC_E_WRONG_THREAD);
    EXPECT_EQ(put, RPC_E_WRONG_THREAD);
    EXPECT_EQ(shown, RPC_E_WRONG_THREAD);
    EXPECT_EQ(Get(bar, "MaxValue").Value.lVal, 20);
    EXPECT_EQ(SplashForm(), nullptr);
    bar->Release();
    splash->Release();
}

TEST_F(WidgetServerTest, ObjectsOfAThreadOtherThanTheApplicationsSayWhyTheyCannotRun) {
    IDispatch* bar = WidgetLibrary::Instance().New(CLSID_CProgressBar);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(Put(bar, "MaxValue", I4(10)).Result, S_OK);  // the application is this thread's
    HRESULT result = S_OK;
    SCODE number = 0;
    std::string description;
    std::thread([&] {
        IDispatch* other = WidgetLibrary::Instance().New(CLSID_CSplash);
        ASSERT_NE(other, nullptr);
        CallResult refused = Method(other, "ShowSplash", {Str(PeFile("abc.exe"))});
        result = refused.Result;
        number = refused.Number;
        description = refused.Description;
        other->Release();
    }).join();
    EXPECT_EQ(result, DISP_E_EXCEPTION);
    EXPECT_EQ(number, kNotInitialized);
    EXPECT_EQ(description,
              "CSplash cannot show windows: the program's QApplication belongs to another "
              "thread; create and call the object on that thread");
    EXPECT_EQ(SplashForm(), nullptr);
    bar->Release();
}

TEST_F(WidgetServerTest, WithoutADisplayNoApplicationIsMadeAndTheCallSaysWhy) {
    unsetenv("QT_QPA_PLATFORM");
    unsetenv("DISPLAY");
    IDispatch* bar = WidgetLibrary::Instance().New(CLSID_CProgressBar);
    ASSERT_NE(bar, nullptr);
    CallResult refused = Put(bar, "MaxValue", I4(10));
    EXPECT_EQ(refused.Result, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.Number, kNotInitialized);
    EXPECT_EQ(refused.Description,
              "CProgressBar cannot show windows: there is no QApplication and none can be made: "
              "DISPLAY is not set (set it, or QT_QPA_PLATFORM=offscreen for no screen)");
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    // Once the platform is there, the next call makes the application.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    EXPECT_EQ(Put(bar, "MaxValue", I4(10)).Result, S_OK);
    EXPECT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    bar->Release();
}

TEST_F(WidgetServerTest, ASplashReleasedOnAnotherThreadClosesOnItsOwnThread) {
    IDispatch* splash = WidgetLibrary::Instance().New(CLSID_CSplash);
    ASSERT_NE(splash, nullptr);
    ASSERT_EQ(Method(splash, "ShowSplash", {Str(PeFile("abc.exe"))}).Result, S_OK);
    ASSERT_NE(SplashForm(), nullptr);
    std::thread([&] { splash->Release(); }).join();
    EXPECT_NE(SplashForm(), nullptr);  // not closed from the wrong thread
    QCoreApplication::processEvents();
    EXPECT_EQ(SplashForm(), nullptr);
    EXPECT_EQ(WidgetLibrary::Instance().CanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace vendral::test
