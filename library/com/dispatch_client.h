// Calls by name on a client's dispatch object, from inside the library.
#pragma once

#include <string>
#include <vector>

#include "base/internal_export.h"
#include "vendral/com_automation.h"
#include "vendral/variant.h"

// Shared with the widget library, whose controls are called by name too.
namespace vendral::internal {

using namespace vendral::com;

// Invokes name with the arguments in declared order; a failure throws
// ComCallError with the object's description and number.
VENDRAL_INTERNAL Variant CallByName(IDispatch* object, const std::string& name, WORD flags,
                                    const std::vector<Variant>& args);

}  // namespace vendral::internal

namespace vendral::com {

// The dispatch id of a member name. Script engines' own objects may answer
// only through IDispatchEx, where the system has it.
HRESULT MemberId(IDispatch* object, LPOLESTR name, DISPID* id);

using internal::CallByName;

}  // namespace vendral::com
