#pragma once
// Fields of the panel state named in a table, with the values a reply must
// leave in them.

#include <gtest/gtest.h>

#include <vector>

#include "protocol/PanelState.h"

namespace mr420::test {

struct Field {
    const char* name;
    double (*get)(const PanelState&);
    double expected;   // every field read is an integer or a double
};

// FIELD(alarmThresholds[2], -100) names the field as written.
#define FIELD(member, value) \
    ::mr420::test::Field{#member, [](const ::mr420::PanelState& s) { return static_cast<double>(s.member); }, value}

inline void expectFields(const PanelState& state, const std::vector<Field>& fields) {
    for (const Field& f : fields) EXPECT_DOUBLE_EQ(f.get(state), f.expected) << f.name;
}

}  // namespace mr420::test
