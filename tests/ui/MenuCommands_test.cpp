#include "ui/MenuCommands.h"

#include <gtest/gtest.h>

namespace mr420 {
namespace {

struct Feature : MenuCommands {
    std::vector<int> ids;
    std::vector<int> ran;
    explicit Feature(std::vector<int> i) : ids(std::move(i)) {}
    std::vector<int> commands() const override { return ids; }
    void run(int id) override { ran.push_back(id); }
};

TEST(MenuCommandTable, AnEntryGoesToTheFeatureThatServesItAndAClaimedIdStaysWithTheFirst) {
    Feature window({1, 2}), memory({3}), late({2, 4});
    MenuCommandTable table;
    EXPECT_TRUE(table.add(window));
    EXPECT_TRUE(table.add(memory));
    EXPECT_FALSE(table.add(late));
    const std::pair<int, MenuCommands*> expected[] = {{1, &window}, {2, &window}, {3, &memory}, {4, &late}, {5, nullptr}};
    for (const auto& [id, owner] : expected) EXPECT_EQ(table.owner(id), owner) << id;
    EXPECT_FALSE(table.serves(5));
}

}  // namespace
}  // namespace mr420
