// CFile's platform part here: drives mapped through GVfs, version information
// read by our own reader of PE files and of the version section of ours.
#include "vendral/cfile.h"

#include "desktop/version_resource.h"

namespace vendral {

CFile::CFile() : CFile(std::make_shared<DriveTable>()) {}

void CFile::GetFileInfo(const std::string& FullFileName) {
    auto bytes = desktop::ReadVersionBlock(FullFileName);
    if (!bytes) return;
    desktop::VersionBlock block(std::move(*bytes));
    auto translation = block.QueryBinary("\\VarFileInfo\\Translation");
    if (!translation) return;
    // Only the first language and code page of the table is read.
    auto queries = desktop::StringQueriesFor(*translation);
    if (!queries) return;
    for (std::size_t i = 0; i < info_.size(); ++i) {
        // Values are kept whole, however long.
        info_[i] = block.QueryString((*queries)[i]).value_or("");
    }
}

}  // namespace vendral
