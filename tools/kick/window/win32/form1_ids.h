// The control ids of Prodwell's Win32 window, which its tests find them by.
#pragma once

namespace vendral::kick::win32 {

constexpr int kLabel1Id = 2001;
constexpr int kTxtAssociateId = 2002;
constexpr int kLabel4Id = 2003;
constexpr int kLabel2Id = 2004;
constexpr int kTxtKickDateId = 2005;
constexpr int kCheck1Id = 2006;
constexpr int kCommand1Id = 2007;
constexpr int kLabel3Id = 2008;

// The window's class name.
constexpr const wchar_t* kForm1Class = L"ProdwellForm1";

}  // namespace vendral::kick::win32
