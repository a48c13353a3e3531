#include "controls/qt/max_length_validator.h"

#include "controls/max_length_rule.h"

namespace vendral::detail::controls {

QValidator::State MaxLengthValidator::validate(QString& input, int& /*position*/) const {
    return EditAccepted(limit_, acceptedLength_, CodePoints(input)) ? Acceptable : Invalid;
}

int MaxLengthValidator::CodePoints(const QString& text) {
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // The second half of a surrogate pair is no character of its own.
        if (!(text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate())) ++count;
    }
    return count;
}

}  // namespace vendral::detail::controls
