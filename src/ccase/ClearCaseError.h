#pragma once

#include "ui/QuorvaneError.h"

namespace quorvane {

// A command that ClearCase refused; the description is ClearCase's own
// message (for example "cleartool: Error: Unable to locate VOB ...").
class ClearCaseError final : public QuorvaneError {
public:
    explicit ClearCaseError(QString description, QString source = QStringLiteral("ClearCase.ClearTool"))
        : QuorvaneError(ErrNo::ClearCase, std::move(source), std::move(description))
    {
    }
};

} // namespace quorvane
