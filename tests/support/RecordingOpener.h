#pragma once
// A link opener that opens nothing and keeps what it was asked to open, for
// widget tests of help and links (Qt; only widget tests include it).

#include <QString>

#include <vector>

#include "app/Hyperlink.h"
#include "app/widgets/LinkStatic.h"

namespace mr420::test {

struct RecordingOpener : LinkOpener {
    std::vector<QString> targets;
    int open(const QString& target) override {
        targets.push_back(target);
        return link_result::kOpened;
    }
    QString last() const { return targets.empty() ? QString() : targets.back(); }
};

}  // namespace mr420::test
