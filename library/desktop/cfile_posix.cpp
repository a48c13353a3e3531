// CFile's platform part here: drives mapped through GVfs, version information
// read by our own reader of PE files and of the version section of ours.
#include "vendral/cfile.h"

#include "base/version_resource.h"

namespace vendral {

CFile::CFile() : CFile(std::make_shared<DriveTable>()) {}

void CFile::GetFileInfo(const std::string& FullFileName) {
    if (auto strings = version::ReadVersionStrings(FullFileName)) info_ = std::move(*strings);
}

}  // namespace vendral
