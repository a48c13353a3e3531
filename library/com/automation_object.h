// Automation objects with a dual interface, described by one member table.
//
// A class lists its members once, in the order of its interface: each entry
// is a method, a property get or a property put, with its argument names
// (optional ones in brackets) and the code that runs it. From that table come
// the dispatch ids and names (GetIDsOfNames, Invoke), the type information
// (GetTypeInfo) and the table of entries of the dual interface: after the
// seven IDispatch entries one entry per table row, shaped
//     HRESULT entry(this, argument..., result*)
// with each argument of the type the table gives it: a String as a BSTR, an
// Integer as a short, a Long or an enumeration as a long, a Boolean as a
// VARIANT_BOOL, an Object as an IDispatch*, a Variant as a VARIANT*, and one
// passed by reference as a pointer to its type (a null pointer is an omitted
// Variant or argument by reference). The result pointer follows the arguments
// for methods (a VARIANT*) and property gets (a pointer to the property's
// type); a failure returns the error's number.
//
// Objects belong to the thread that created them (the apartment threading
// model): a call from another thread returns RPC_E_WRONG_THREAD and does
// nothing. Reference counting and QueryInterface answer on any thread.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/internal_export.h"
#include "com/values.h"
#include "vendral/com_automation.h"

namespace vendral::com {

enum class MemberKind : std::uint8_t { Method, Get, Put, PutRef };

constexpr bool HasResult(MemberKind kind) {
    return kind == MemberKind::Method || kind == MemberKind::Get;
}

// "sTable,[sWhere],[iDatabaseConnection]": the argument names; brackets mark optional ones.
constexpr std::size_t ParameterCount(const char* params) {
    if (!params || !*params) return 0;
    std::size_t count = 1;
    for (const char* p = params; *p; ++p)
        if (*p == ',') ++count;
    return count;
}

constexpr std::size_t OptionalCount(const char* params) {
    std::size_t count = 0;
    for (const char* p = params; p && *p; ++p)
        if (*p == '[') ++count;
    return count;
}

// Specialized once per class, after the class: kName, kIid and kRows (a
// constexpr array of Member<Impl>).
template <class Impl>
struct MemberTable;

template <class Impl>
struct Member {
    const char* Name;
    MemberKind Kind;
    const char* Params;
    void (*Body)(Impl& self, const Arguments& args, Result& result);
    // The type a property get reads as, when no put of the property gives it
    // ("Boolean", "String", ...); empty for a Variant.
    const char* Returns = "";
};

}  // namespace vendral::com

// The member tables' runtime is shared with the widget library's component
// server, so it stands in the libraries' one shared namespace.
namespace vendral::internal {

using namespace vendral::com;

// One argument as the type information describes it. A table writes it
// "name:Type=Default", with "&" before the type for one passed by reference;
// the type is String, Integer (16-bit), Long (32-bit), Boolean, Variant (the
// default), Object or the name of one of the library's enumerations.
struct VENDRAL_INTERNAL ParamInfo {
    std::string Name;
    std::string Type = "Variant";
    bool ByRef = false;
    bool HasDefault = false;
    std::string Default;
};

// The table in the form the non-template code reads.
struct VENDRAL_INTERNAL MemberInfo {
    std::string Name;
    MemberKind Kind;
    DISPID Id;
    std::vector<std::string> ParamNames;
    std::size_t Optional;
    std::vector<ParamInfo> Params;
    std::string Returns;
};

// The arguments of a table row's Params text.
VENDRAL_INTERNAL std::vector<ParamInfo> ParseParams(const char* params);

struct ClassInfo;

// An enumeration of a type library, with its values in order.
struct VENDRAL_INTERNAL EnumInfo {
    std::string Name;
    std::vector<std::pair<std::string, std::int32_t>> Values;
};

// A class of a type library and the interface it implements.
struct VENDRAL_INTERNAL CoclassInfo {
    std::string Name;
    const CLSID* Clsid;
    const ClassInfo* Interface;
};

// What a type library lists: its classes, their interfaces and its enumerations.
struct VENDRAL_INTERNAL TypeLibraryInfo {
    std::string Name;
    const GUID* Guid;
    std::vector<CoclassInfo> Classes;
    std::vector<EnumInfo> Enums;
};

struct ObjectHeader;
struct ServerModule;

struct VENDRAL_INTERNAL ClassInfo {
    const char* Name;
    const IID* Iid;
    std::vector<MemberInfo> Members;
    // Runs table row index on the object; translates errors into results.
    HRESULT(*Call)
    (ObjectHeader* self, std::size_t index, const DISPPARAMS& params, VARIANT* result,
     EXCEPINFO* error, UINT* argError);
    void (*Destroy)(ObjectHeader* self);
    void* (*Native)(ObjectHeader* self);
    // The type library that lists the class, or null.
    const TypeLibraryInfo* (*Library)() = nullptr;
    // The ids of the same name share one dispatch id; the first row of a name gives it.
    DISPID FindId(const std::string& name) const;
};

// The common part of every automation object; the table pointers come first
// so that the object's address is its dual interface, the next word its
// private interface and the one after it its ISupportErrorInfo.
struct VENDRAL_INTERNAL ObjectHeader {
    const void* const* DualTable;
    const void* const* NativeTable;
    const void* const* ErrorSupportTable;
    std::atomic<ULONG> References{1};
    std::thread::id Owner = std::this_thread::get_id();
    ServerModule* Module = nullptr;
    const ClassInfo* Class = nullptr;
};

// The seven IUnknown and IDispatch entries and the private interface's.
extern VENDRAL_INTERNAL const void* const kDispatchEntries[7];
// The private interface's table; like every table here it is preceded by the
// two words this platform's C++ ABI puts before a table of entries (offset 0
// and the type of the interface), so that C++ clients built with run-time
// type checks accept the objects.
VENDRAL_INTERNAL const void* const* NativeTable();
// The ISupportErrorInfo table of every object: its own interface leaves
// error information on failure.
VENDRAL_INTERNAL const void* const* ErrorSupportTable();
// Those two words for an interface of dispatch type.
VENDRAL_INTERNAL const void* DispatchTypeWord();

// Calls from the dual interface's own entries.
// One argument of an entry: every argument of the dual interfaces is an
// address or an integer of at most 32 bits, which the platforms' ABIs pass in
// one integer register or stack slot of this size.
using EntryWord = std::uintptr_t;
// The VARTYPE an entry passes a type word as (an enumeration as VT_I4).
VENDRAL_INTERNAL VARTYPE EntryType(const std::string& type);
VENDRAL_INTERNAL HRESULT CallFromTable(ObjectHeader* self, std::size_t index, const EntryWord* args,
                                       std::size_t count, EntryWord result);
// Object counting of the serving library, for DllCanUnloadNow.
VENDRAL_INTERNAL void CountObject(ServerModule* module, int delta);

// Fills error and leaves the thread's error object (of interface iid) for
// the exception being handled; the result is the call's.
VENDRAL_INTERNAL HRESULT TranslateCurrentException(const IID& iid, std::size_t argCount,
                                                   EXCEPINFO* error, UINT* argError);
// A call starts without error information.
VENDRAL_INTERNAL void ClearErrorInfo();

}  // namespace vendral::internal

namespace vendral::com {

using internal::CallFromTable;
using internal::ClassInfo;
using internal::ClearErrorInfo;
using internal::CoclassInfo;
using internal::CountObject;
using internal::DispatchTypeWord;
using internal::EntryType;
using internal::EntryWord;
using internal::EnumInfo;
using internal::ErrorSupportTable;
using internal::kDispatchEntries;
using internal::MemberInfo;
using internal::NativeTable;
using internal::ObjectHeader;
using internal::ParamInfo;
using internal::ParseParams;
using internal::ServerModule;
using internal::TranslateCurrentException;
using internal::TypeLibraryInfo;

// The ITypeInfo of a class, built from its table.
VENDRAL_TEST_INTERNAL ITypeInfo* NewTypeInfo(const ClassInfo& info);
// A type library object over library, and the descriptions it holds (the
// core's own: the widget library reaches them through NewTypeInfo's objects).
ITypeLib* NewTypeLibrary(const TypeLibraryInfo& library);
ITypeInfo* NewEnumTypeInfo(const TypeLibraryInfo& library, std::size_t index);
ITypeInfo* NewCoclassTypeInfo(const TypeLibraryInfo& library, std::size_t index);
// The reference number of an enumeration of the library, for VT_USERDEFINED.
constexpr std::uint32_t kEnumReferenceBase = 0x1000;

template <class Impl>
struct AutomationObject : ObjectHeader {
    template <class... A>
    explicit AutomationObject(A&&... args) : Impl_(std::forward<A>(args)...) {}
    Impl Impl_;
};

namespace detail {

template <class Impl, std::size_t Row, std::size_t... K>
HRESULT VENDRAL_COM_CALL Entry(ObjectHeader* self, decltype((void)K, EntryWord{})... values) {
    constexpr auto& row = MemberTable<Impl>::kRows[Row];
    constexpr std::size_t argc = ParameterCount(row.Params);
    EntryWord all[sizeof...(K) + 1] = {values..., 0};
    return CallFromTable(self, Row, all, argc, HasResult(row.Kind) ? all[argc] : 0);
}

template <class Impl, std::size_t Row, std::size_t... K>
const void* EntryFor(std::index_sequence<K...>) {
    return reinterpret_cast<const void*>(&Entry<Impl, Row, K...>);
}

template <class Impl, std::size_t... Rows>
std::array<const void*, 9 + sizeof...(Rows)> BuildTable(std::index_sequence<Rows...>) {
    std::array<const void*, 9 + sizeof...(Rows)> table{};
    table[0] = nullptr;
    table[1] = DispatchTypeWord();
    for (std::size_t i = 0; i < 7; ++i) table[2 + i] = kDispatchEntries[i];
    std::size_t slot = 9;
    ((table[slot++] = EntryFor<Impl, Rows>(
          std::make_index_sequence<ParameterCount(MemberTable<Impl>::kRows[Rows].Params) +
                                   (HasResult(MemberTable<Impl>::kRows[Rows].Kind) ? 1 : 0)>{})),
     ...);
    return table;
}

}  // namespace detail

// The ClassInfo and table of entries of Impl, made once.
template <class Impl>
const ClassInfo& ClassOf() {
    static const ClassInfo info = [] {
        ClassInfo made{
            MemberTable<Impl>::kName, &MemberTable<Impl>::kIid, {}, nullptr, nullptr, nullptr};
        DISPID next = 1;
        for (const auto& row : MemberTable<Impl>::kRows) {
            MemberInfo member{row.Name, row.Kind,   0, {}, OptionalCount(row.Params),
                              {},       row.Returns};
            member.Params = ParseParams(row.Params);
            for (const ParamInfo& param : member.Params) member.ParamNames.push_back(param.Name);
            DISPID existing = made.FindId(member.Name);
            member.Id = existing != DISPID_UNKNOWN ? existing : next++;
            made.Members.push_back(std::move(member));
        }
        // A property without a type of its own reads as the type it is written with.
        for (MemberInfo& get : made.Members) {
            if (get.Kind != MemberKind::Get || !get.Returns.empty()) continue;
            for (const MemberInfo& put : made.Members)
                if (put.Id == get.Id && put.Kind != MemberKind::Get && !put.Params.empty())
                    get.Returns = put.Params.back().Type;
        }
        made.Call = [](ObjectHeader* self, std::size_t index, const DISPPARAMS& params,
                       VARIANT* result, EXCEPINFO* error, UINT* argError) -> HRESULT {
            auto* object = static_cast<AutomationObject<Impl>*>(self);
            ClearErrorInfo();
            try {
                Arguments args(params, params.cArgs);
                Result out(result);
                MemberTable<Impl>::kRows[index].Body(object->Impl_, args, out);
                return S_OK;
            } catch (...) {
                return TranslateCurrentException(MemberTable<Impl>::kIid, params.cArgs, error,
                                                 argError);
            }
        };
        made.Destroy = [](ObjectHeader* self) {
            ServerModule* module = self->Module;
            delete static_cast<AutomationObject<Impl>*>(self);
            CountObject(module, -1);
        };
        made.Native = [](ObjectHeader* self) -> void* {
            return static_cast<AutomationObject<Impl>*>(self)->Impl_.Native();
        };
        if constexpr (requires { MemberTable<Impl>::Library(); })
            made.Library = [] { return &MemberTable<Impl>::Library(); };
        return made;
    }();
    return info;
}

template <class Impl>
const void* const* TableOf() {
    static const auto table =
        detail::BuildTable<Impl>(std::make_index_sequence<std::size(MemberTable<Impl>::kRows)>{});
    return table.data() + 2;
}

// A new object of Impl with one reference, as its IDispatch.
template <class Impl, class... A>
IDispatch* NewObject(ServerModule& module, A&&... args) {
    auto* object = new AutomationObject<Impl>(std::forward<A>(args)...);
    object->DualTable = TableOf<Impl>();
    object->NativeTable = NativeTable();
    object->ErrorSupportTable = ErrorSupportTable();
    object->Class = &ClassOf<Impl>();
    object->Module = &module;
    CountObject(object->Module, +1);
    return reinterpret_cast<IDispatch*>(static_cast<ObjectHeader*>(object));
}

// The C++ object behind an automation object of this library, when it is one of kind.
VENDRAL_TEST_INTERNAL void* NativeOf(IUnknown* object, const IID& kind);

}  // namespace vendral::com
