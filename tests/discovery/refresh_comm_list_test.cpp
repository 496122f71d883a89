// RefreshCommList over temporary device-map directories and over sources that fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "comm/port_catalog.h"
#include "comm/port_discovery.h"
#include "plain_comm_list.h"
#include "text/int_text.h"
#include "temp_tree.h"

namespace kx71 {
namespace {

using Items = std::vector<std::string>;

class RefreshCommListTest : public ::testing::Test {
 protected:
  RefreshCommListTest() {
    tree_.Dir("map");
    tree_.Dir("sys");  // no family devices: only the device map counts
    tree_.Dir("dev");
  }

  // A device-map link named `name` to a terminal of its own.
  void AddPort(const std::string& name) { tree_.Link("map/" + name, tree_.Terminal()); }
  void RemovePort(const std::string& name) { std::filesystem::remove(tree_ / ("map/" + name)); }

  void Refresh() {
    TPortCatalog catalog({tree_ / "sys", tree_ / "dev", tree_ / "map"});
    RefreshCommList(list_, [&catalog]() -> std::optional<Items> {
      const auto ports = catalog.List();
      if (!ports) return std::nullopt;
      Items names;
      for (const TPortEntry& p : *ports) names.push_back(p.name);
      return names;
    });
  }

  test::TempTree tree_;
  test::PlainCommList list_;
};

TEST_F(RefreshCommListTest, ListsOffThenPortsInNumericOrder) {
  AddPort("COM10");
  AddPort("COM2");
  AddPort("COM1");
  Refresh();
  EXPECT_EQ(list_.items, (Items{"OFF", "COM1", "COM2", "COM10"}));
  EXPECT_EQ(list_.selected, 0);
}

TEST_F(RefreshCommListTest, KeepsThePreviousChoiceWhilePresentIgnoringCase) {
  AddPort("COM3");
  AddPort("COM12");
  AddPort("com7");
  list_.items = {"OFF", "com3"};  // the previous choice, spelt differently
  list_.selected = 1;
  Refresh();
  EXPECT_EQ(list_.items, (Items{"OFF", "COM3", "com7", "COM12"}));
  EXPECT_EQ(list_.SelectedText(), "COM3");

  list_.Select(2);
  Refresh();
  EXPECT_EQ(list_.SelectedText(), "com7");

  RemovePort("com7");
  Refresh();
  EXPECT_EQ(list_.items, (Items{"OFF", "COM3", "COM12"}));
  EXPECT_EQ(list_.selected, 0);
}

TEST_F(RefreshCommListTest, NoPortsLeavesOffAlone) {
  list_.items = {"OFF", "COM1"};
  list_.selected = 1;
  Refresh();
  EXPECT_EQ(list_.items, Items{"OFF"});
  EXPECT_EQ(list_.selected, 0);

  // Neither the device map nor sysfs can be read: the same outcome, and nothing raised.
  std::filesystem::remove_all(tree_ / "map");
  std::filesystem::remove_all(tree_ / "sys");
  list_.items = {"OFF", "COM1"};
  list_.selected = 1;
  Refresh();
  EXPECT_EQ(list_.items, Items{"OFF"});
  EXPECT_EQ(list_.selected, 0);
}

TEST_F(RefreshCommListTest, BadNameAmongSeveralLeavesOffAloneThenRaises) {
  AddPort("COM1");
  AddPort("COMAB");
  AddPort("COM4");
  list_.items = {"OFF", "COM1"};
  list_.selected = 1;
  try {
    Refresh();
    ADD_FAILURE() << "no conversion error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'AB' は整数ではありません");
  }
  EXPECT_EQ(list_.items, Items{"OFF"});
  EXPECT_EQ(list_.selected, 0);
}

TEST_F(RefreshCommListTest, SingleBadNameIsListedWithoutComparison) {
  AddPort("COMAB");
  list_.items = {"OFF", "COMAB"};
  list_.selected = 1;
  EXPECT_NO_THROW(Refresh());
  EXPECT_EQ(list_.items, (Items{"OFF", "COMAB"}));
  EXPECT_EQ(list_.selected, 1);
}

TEST_F(RefreshCommListTest, EqualNumbersListOnlyTheEntryThatOpensAndIntegerTextRuleApplies) {
  AddPort("COM1");
  AddPort("com1");
  AddPort("COM01");    // first of the three in name order: the one number 1 opens
  AddPort("COM$2");    // hexadecimal 2
  AddPort("COM 3");    // leading space skipped
  AddPort("COM0x10");  // 16
  AddPort("COM9");
  const auto nine = std::filesystem::read_symlink(tree_ / "map/COM9");
  tree_.Link("map/com9", nine);  // the same device under two names: both open it, both listed
  Refresh();
  ASSERT_EQ(list_.items.size(), 7u);
  EXPECT_EQ(Items(list_.items.begin(), list_.items.begin() + 4), (Items{"OFF", "COM01", "COM$2", "COM 3"}));
  const Items nines{"COM9", "com9"};
  EXPECT_TRUE(
      std::is_permutation(list_.items.begin() + 4, list_.items.begin() + 6, nines.begin(), nines.end()));
  EXPECT_EQ(list_.items[6], "COM0x10");
}

TEST(RefreshCommListSource, FailingSourceStillEndsWithOffSelectedThenRaises) {
  test::PlainCommList list;
  list.items = {"OFF", "COM1", "COM2"};
  list.selected = 2;
  EXPECT_THROW(RefreshCommList(list, []() -> std::optional<Items> { throw std::runtime_error("gone"); }),
               std::runtime_error);
  EXPECT_EQ(list.items, Items{"OFF"});
  EXPECT_EQ(list.selected, 0);

  list.items = {"OFF", "COM1"};
  list.selected = 0;  // "OFF" chosen before: found again
  RefreshCommList(list, []() -> std::optional<Items> { return std::nullopt; });
  EXPECT_EQ(list.items, Items{"OFF"});
  EXPECT_EQ(list.selected, 0);
}

TEST(ComparePortNumbers, ComparesTheNumbersAfterThreeCharacters) {
  EXPECT_EQ(ComparePortNumbers("COM2", "COM10"), -1);
  EXPECT_EQ(ComparePortNumbers("COM10", "COM2"), 1);
  EXPECT_EQ(ComparePortNumbers("COM7", "com7"), 0);
  EXPECT_EQ(ComparePortNumbers("XYZ$10", "COM15"), 1);  // the first three characters are not looked at
  EXPECT_EQ(ComparePortNumbers("COM-1", "COM0"), -1);
}

TEST(ComparePortNumbers, NotANumberRaisesWithTheTextAfterThreeCharacters) {
  auto message = [](const std::string& a, const std::string& b) {
    try {
      ComparePortNumbers(a, b);
    } catch (const EConvertError& e) {
      return std::string(e.what());
    }
    return std::string("(no error)");
  };
  EXPECT_EQ(message("COM1", "COMA"), "'A' は整数ではありません");
  EXPECT_EQ(message("COM1 ", "COM1"), "'1 ' は整数ではありません");
  EXPECT_EQ(message("COM", "COM1"), "'' は整数ではありません");
  EXPECT_EQ(message("CO", "COM1"), "'' は整数ではありません");
}

}  // namespace
}  // namespace kx71
