// CDatabase as the system's component runtime serves it: created by its ProgID
// from the registration that regsvr32 wrote. The serving library is the
// vendral.dll beside this program, which shares its UI host already.
#include "served_database.h"

#include <windows.h>

#include "vendral/class_ids.h"

namespace vendral::kick {

std::string FallbackLibrary(const std::string& /*programPath: the registry names the library*/) {
    return {};
}

ServedDatabase::ServedDatabase(const std::string& /*programPath*/) {
    object_ = com::CreateObject("Vendral.CDatabase", IID__CDatabase, std::nullopt, &source_);
    try {
        database_ = std::make_unique<ServedKickDatabase>(static_cast<IDispatch*>(object_));
    } catch (const std::exception& error) {
        database_.reset();
        object_->Release();
        throw com::ActivationError(E_NOINTERFACE, "the CDatabase of " + source_.Library +
                                                      " (named by the registry) does not "
                                                      "describe its interface: " +
                                                      error.what());
    }
}

ServedDatabase::~ServedDatabase() {
    database_.reset();
    object_->Release();
    com::FreeUnusedLibraries();
}

}  // namespace vendral::kick
