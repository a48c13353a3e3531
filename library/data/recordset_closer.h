// Closes a recordset the object keeps for reuse on every way out of a method,
// so that a failed read never leaves it open for the next caller.
#pragma once

#include "vendral/connection.h"

namespace vendral {

class RecordsetCloser {
  public:
    explicit RecordsetCloser(Recordset& recordset) : recordset_(recordset) {}
    ~RecordsetCloser() {
        if (recordset_.State() == adStateOpen) recordset_.Close();
    }
    RecordsetCloser(const RecordsetCloser&) = delete;
    RecordsetCloser& operator=(const RecordsetCloser&) = delete;

  private:
    Recordset& recordset_;
};

}  // namespace vendral
