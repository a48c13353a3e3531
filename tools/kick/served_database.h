// The CDatabase of Prodwell (its command line and its window), created
// through the component server's entry points as a client of the original
// creates it through the component registry: the class registered in the
// registry file is used when there is one; otherwise the library beside the
// program (libvendral.so.1 in its folder) or, failing that, the library the
// program was built and installed with serves it, so that a build tree and
// the demo work without registering anything.
#pragma once

#include <memory>
#include <string>

#include "served_kick_database.h"
#include "vendral/com.h"
#include "vendral/com_client.h"

namespace vendral::kick {

using namespace vendral::com;

class ServedDatabase {
  public:
    // programPath: the running program's file. Throws com::ActivationError
    // with a message that names the registry file and what to do.
    explicit ServedDatabase(const std::string& programPath);
    ~ServedDatabase();
    ServedDatabase(const ServedDatabase&) = delete;
    ServedDatabase& operator=(const ServedDatabase&) = delete;

    // The object through its interfaces, valid while this lives; the kick
    // engine works on it.
    KickDatabase& Database() { return *database_; }
    // The library it came from and whether the registry named it.
    const com::Activation& Source() const { return source_; }

  private:
    IUnknown* object_ = nullptr;
    std::unique_ptr<ServedKickDatabase> database_;
    // The serving library when it is another build than the one this program
    // links: it shows its messages through this program's UI host meanwhile.
    void* otherBuild_ = nullptr;
    com::Activation source_;
};

// The library a class not found in the registry is created from.
std::string FallbackLibrary(const std::string& programPath);

}  // namespace vendral::kick
