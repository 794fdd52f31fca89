#pragma once
// A link opener that records every target and answers with `result`.

#include <QString>

#include <vector>

#include "app/Hyperlink.h"
#include "app/widgets/LinkStatic.h"

namespace mr420::test {

struct RecordingOpener : LinkOpener {
    int result = link_result::kOpened;
    std::vector<QString> targets;
    int open(const QString& target) override {
        targets.push_back(target);
        return result;
    }
};

}  // namespace mr420::test
