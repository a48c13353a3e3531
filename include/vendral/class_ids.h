/// @file
/// The ids of the Vendral classes, their dual interfaces, the type library and
/// the dispatch objects that CDatabase hands out. The binary-standard types
/// they are written in come from vendral/com_base.h.
#pragma once

#include <optional>
#include <string>

#include "vendral/com_base.h"
#include "vendral/export.h"

namespace vendral {

/// @name Ids of the Vendral classes
/// The classes of the Vendral library, their dual interfaces and the type
/// library. These ids are fixed for good.
/** @{ */
/// "Vendral.CDatabase", the class of vendral::CDatabase.
inline constexpr com::CLSID CLSID_CDatabase = {
    0xEAB3025D, 0x64F0, 0x4A4B, {0xB9, 0x06, 0x24, 0xF7, 0x07, 0x93, 0xB8, 0x6D}};
/// "Vendral.CProgressBar", the class of vendral::CProgressBar (widget library).
inline constexpr com::CLSID CLSID_CProgressBar = {
    0x94E54D97, 0x3520, 0x417B, {0xBD, 0x23, 0xA2, 0x4D, 0x74, 0x2D, 0x35, 0xD2}};
/// "Vendral.CSplash", the class of vendral::CSplash (widget library).
inline constexpr com::CLSID CLSID_CSplash = {
    0x63A0A208, 0x4087, 0x4C52, {0x8A, 0xD4, 0xFD, 0xAD, 0x9C, 0x1E, 0x89, 0xA6}};
// The interfaces keep the standard's names (an underscore before the class).
// NOLINTBEGIN(bugprone-reserved-identifier)
/// The dual interface _CDatabase.
inline constexpr com::IID IID__CDatabase = {
    0x81356B21, 0x2762, 0x4E68, {0xAB, 0x15, 0x28, 0xA8, 0x2E, 0x63, 0x8A, 0x6B}};
/// The dual interface _CProgressBar.
inline constexpr com::IID IID__CProgressBar = {
    0xBD9CF904, 0x8AE5, 0x4975, {0xA7, 0x05, 0xED, 0x9B, 0x03, 0x81, 0xB4, 0xE6}};
/// The dual interface _CSplash.
inline constexpr com::IID IID__CSplash = {
    0xE231EDF6, 0x3FAD, 0x411D, {0xB5, 0xF6, 0x65, 0x33, 0x5D, 0xF8, 0x40, 0xA3}};
// NOLINTEND(bugprone-reserved-identifier)
/// The type library.
inline constexpr com::GUID LIBID_Vendral = {
    0x65FAB692, 0x1C9F, 0x49CA, {0x93, 0x63, 0x15, 0x3A, 0x02, 0xDA, 0xE5, 0xFE}};
/// The dispatch object of a connection, which CDatabase hands out for
/// dDatabase, LocaldDatabase and AccdDatabase (not creatable, not registered).
inline constexpr com::IID IID_VendralConnection = {
    0xBE55440C, 0x78B2, 0x41F9, {0xAB, 0xDF, 0x1D, 0x78, 0xE7, 0x7D, 0x7B, 0x3A}};
/// The dispatch object of a recordset (not creatable, not registered).
inline constexpr com::IID IID_VendralRecordset = {
    0x45394FF7, 0x513F, 0x4A8F, {0xB0, 0xC5, 0x79, 0xE9, 0x75, 0x5C, 0x15, 0x09}};
/// The dispatch object of a field (not creatable, not registered).
inline constexpr com::IID IID_VendralField = {
    0x0B880BCE, 0x279D, 0x4B4D, {0xA4, 0xF8, 0x51, 0xA3, 0xDC, 0x14, 0x35, 0x30}};

/** @} */

namespace com {
/// The class id of a Vendral class by its ProgID ("Vendral.CDatabase",
/// "Vendral.CProgressBar", "Vendral.CSplash", in any case), for manifests;
/// none for any other name.
VENDRAL_API std::optional<CLSID> VendralClassId(const std::string& progId);
}  // namespace com

}  // namespace vendral
