// The component runtime on a thread that creates CDatabase by its ProgID:
// the thread joins an apartment once, however many objects it creates, so
// that one CoUninitialize leaves it; a thread already in the multithreaded
// apartment keeps it. Needs the library registered. Prints one line per check
// and "SENTINEL ..." at its end.
#include <windows.h>
// objbase.h builds on windows.h.
#include <objbase.h>

#include <string>
#include <thread>

#include "checks.h"
#include "vendral/class_ids.h"
#include "vendral/com_client.h"

namespace {

using checks::Check;

bool CreateAndRelease() {
    try {
        IUnknown* object =
            vendral::com::CreateObject("Vendral.CDatabase", vendral::IID__CDatabase, std::nullopt);
        object->Release();
        return true;
    } catch (const std::exception& error) {
        Check("CDatabase is created by its ProgID", false, error.what());
        return false;
    }
}

// How many CoUninitialize calls it takes until the thread is in no
// apartment (the multithreaded one can then be joined).
int UninitializeCallsToLeave() {
    for (int calls = 1; calls <= 10; ++calls) {
        CoUninitialize();
        HRESULT joined = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (joined == S_OK) {
            CoUninitialize();
            return calls;
        }
    }
    return -1;
}

}  // namespace

int main() {
    std::thread([] {
        bool created = true;
        for (int i = 0; i < 3; ++i) created = CreateAndRelease() && created;
        Check("three objects are created on one thread", created);
        const int calls = UninitializeCallsToLeave();
        Check("the thread joined its apartment once for three objects", calls == 1,
              std::to_string(calls) + " calls to leave it");
    }).join();

    std::thread([] {
        const HRESULT own = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        Check("the thread joins the multithreaded apartment first", own == S_OK);
        Check("an object is created from the multithreaded apartment", CreateAndRelease());
        CoUninitialize();
        // Left by its owner's one call: the library did not join or leave it.
        const HRESULT again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        Check("the owner's one CoUninitialize left the apartment", again == S_OK,
              std::to_string(static_cast<long>(again)));
        if (SUCCEEDED(again)) CoUninitialize();
    }).join();

    // Threads that end in the apartment the library joined for them leave it
    // then; the sentinel below says the program outlived them.
    for (int i = 0; i < 3; ++i) std::thread([] { CreateAndRelease(); }).join();
    return checks::Finish("com_apartment");
}
