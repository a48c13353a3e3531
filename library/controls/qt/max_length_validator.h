// The maximum length of a text box, in characters (code points): typing or
// pasting that would make the text longer is refused. Text set by the program
// is not limited, and a text that is already longer may still shrink.
#pragma once

#include <QValidator>

#include "base/internal_export.h"

namespace vendral::detail::controls {

class VENDRAL_TEST_INTERNAL MaxLengthValidator : public QValidator {
  public:
    explicit MaxLengthValidator(QObject* parent) : QValidator(parent) {}

    // 0: no limit.
    int Limit() const { return limit_; }
    void Limit(int limit) { limit_ = limit; }
    // The length of the text the box holds now, whoever set it.
    void Accepted(const QString& text) { acceptedLength_ = CodePoints(text); }

    State validate(QString& input, int& position) const override;

    static int CodePoints(const QString& text);

  private:
    int limit_ = 0;
    int acceptedLength_ = 0;
};

}  // namespace vendral::detail::controls

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace controls = detail::controls;
}  // namespace vendral
