#include "services/services.h"

namespace orvane {

const char* iconName(Icon i) {
    switch (i) {
    case Icon::Information:
        return "Information";
    case Icon::Question:
        return "Question";
    case Icon::Exclamation:
        return "Exclamation";
    case Icon::Critical:
        return "Critical";
    case Icon::None:
        break;
    }
    return "None";
}

const char* buttonsName(Buttons b) {
    switch (b) {
    case Buttons::OKCancel:
        return "OKCancel";
    case Buttons::YesNo:
        return "YesNo";
    case Buttons::YesNoCancel:
        return "YesNoCancel";
    case Buttons::OK:
        break;
    }
    return "OK";
}

const char* answerName(Answer a) {
    switch (a) {
    case Answer::Cancel:
        return "Cancel";
    case Answer::Yes:
        return "Yes";
    case Answer::No:
        return "No";
    case Answer::OK:
        break;
    }
    return "OK";
}

Answer closedAnswer(Buttons b) {
    switch (b) {
    case Buttons::OK:
        return Answer::OK;
    case Buttons::YesNo:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

} // namespace orvane
