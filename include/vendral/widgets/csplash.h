/// @file
/// The splash screen of the widget library.

/// @class vendral::CSplash
/// The splash screen of a starting program: its name and version from the
/// version resource of an executable, and a bar that LoadStep advances.
/// Every CSplash of a thread drives the thread's one splash form; releasing a
/// CSplash closes the form.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "vendral/export.h"
#include "vendral/variant.h"

namespace vendral {

class CFile;
class CProgressBar;

class VENDRAL_API CSplash {
  public:
    /// An object that has shown nothing yet.
    CSplash();
    /// Closes the thread's splash form.
    ~CSplash();
    CSplash(const CSplash&) = delete;
    CSplash& operator=(const CSplash&) = delete;

    /// Shows the splash with the InternalName and FileVersion of sFileName and
    /// puts a fresh bar on it; a file without version resource leaves the
    /// captions of the last file read by this object (empty at first). The
    /// result is always empty.
    Variant ShowSplash(const std::string& sFileName);
    /// Reports the next item to the bar: the first call changes nothing, the
    /// eleventh fills the bar.
    void LoadStep();

  private:
    CFile& File();
    CProgressBar& Bar();
    std::unique_ptr<CFile> file_;
    std::unique_ptr<CProgressBar> bar_;
    std::int16_t step_ = 0;
};

}  // namespace vendral
