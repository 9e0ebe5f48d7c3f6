// Component ownership: an owner releases what is still in its list, the last inserted first;
// a component released early takes itself out; a component without owner is released only
// by its own `delete`; names, design mode and the hook that runs before destruction.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/component.h"
#include "framework/timer.h"
#include "runtime/exception.h"

namespace {

std::vector<std::string> Log;

class TTracked : public TComponent {
 public:
  TTracked(TComponent* AOwner, std::string ATag) : TComponent(AOwner), FLabel(std::move(ATag)) {}
  ~TTracked() override { Log.push_back("destroy " + FLabel); }
  void BeforeDestruction() override {
    Log.push_back("before " + FLabel + " " + Extra());
    TComponent::BeforeDestruction();
  }
  // Overridden below: shows that BeforeDestruction runs on the whole object.
  virtual std::string Extra() const { return "base"; }

 private:
  std::string FLabel;
};

class TTrackedDerived : public TTracked {
 public:
  using TTracked::TTracked;
  std::string Extra() const override { return "derived"; }
};

// Owns a timer (created with itself as owner) and releases it itself, as a control does.
class TTimerOwner : public TTracked {
 public:
  explicit TTimerOwner(TComponent* AOwner) : TTracked(AOwner, "owner"), FTimer(new TTimer(this)) {
    FTimer->SetEnabled(false);
  }
  ~TTimerOwner() override {
    delete FTimer;
    FTimer = nullptr;
  }
  TTimer* Timer() const { return FTimer; }

 private:
  TTimer* FTimer;
};

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override { Log.clear(); }
};

TEST_F(ComponentTest, OwnerListsWhatItOwnsInOrder) {
  auto* owner = new TTracked(nullptr, "owner");
  auto* a = new TTracked(owner, "a");
  auto* b = new TTracked(owner, "b");
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->Components(0), a);
  EXPECT_EQ(owner->Components(1), b);
  EXPECT_EQ(a->Owner(), owner);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_THROW(owner->Components(2), Exception);
  EXPECT_THROW(owner->Components(-1), Exception);
  delete owner;
}

TEST_F(ComponentTest, OwnerReleasesWhatIsStillInItsListLastInsertedFirst) {
  auto* owner = new TTracked(nullptr, "owner");
  new TTracked(owner, "a");
  new TTracked(owner, "b");
  delete owner;
  EXPECT_EQ(Log, (std::vector<std::string>{"before owner base", "destroy owner", "before b base", "destroy b",
                                           "before a base", "destroy a"}));
}

TEST_F(ComponentTest, EarlyReleaseTakesTheComponentOutOfItsOwnersList) {
  auto* owner = new TTracked(nullptr, "owner");
  auto* a = new TTracked(owner, "a");
  auto* b = new TTracked(owner, "b");
  delete a;
  EXPECT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->Components(0), b);
  Log.clear();
  delete owner;
  // a is not released a second time.
  EXPECT_EQ(Log, (std::vector<std::string>{"before owner base", "destroy owner", "before b base", "destroy b"}));
}

TEST_F(ComponentTest, ComponentWithoutOwnerIsInNoListAndGoesOnlyWithItsOwnRelease) {
  auto* owner = new TTracked(nullptr, "owner");
  auto* loose = new TTracked(nullptr, "loose");
  EXPECT_EQ(loose->Owner(), nullptr);
  EXPECT_EQ(loose->ComponentIndex(), -1);
  EXPECT_EQ(owner->ComponentCount(), 0);
  delete owner;
  EXPECT_EQ(Log, (std::vector<std::string>{"before owner base", "destroy owner"}));
  delete loose;
  EXPECT_EQ(Log.back(), "destroy loose");
}

TEST_F(ComponentTest, TimerOwnedByAComponentThatReleasesItIsReleasedOnce) {
  auto* form = new TTracked(nullptr, "form");
  auto* owner = new TTimerOwner(form);
  TTimer* timer = owner->Timer();
  EXPECT_EQ(timer->Owner(), owner);
  EXPECT_EQ(owner->ComponentCount(), 1);
  delete form;  // releases owner, whose destructor releases the timer and takes it out of its list
  EXPECT_EQ(Log, (std::vector<std::string>{"before form base", "destroy form", "before owner base", "destroy owner"}));
}

TEST_F(ComponentTest, BeforeDestructionRunsOnTheWholeObjectForDeleteAndForTheOwner) {
  delete new TTrackedDerived(nullptr, "alone");
  auto* owner = new TTracked(nullptr, "owner");
  new TTrackedDerived(owner, "owned");
  delete owner;
  EXPECT_EQ(Log, (std::vector<std::string>{"before alone derived", "destroy alone", "before owner base",
                                           "destroy owner", "before owned derived", "destroy owned"}));
}

TEST_F(ComponentTest, InsertingIntoAnotherOwnerMovesTheComponent) {
  auto* first = new TTracked(nullptr, "first");
  auto* second = new TTracked(nullptr, "second");
  auto* a = new TTracked(first, "a");
  second->InsertComponent(a);
  EXPECT_EQ(first->ComponentCount(), 0);
  EXPECT_EQ(second->ComponentCount(), 1);
  EXPECT_EQ(a->Owner(), second);
  delete first;
  EXPECT_EQ(Log.back(), "destroy first");
  delete second;
  EXPECT_EQ(Log.back(), "destroy a");
}

TEST_F(ComponentTest, NamesAreFoundCaseInsensitivelyAndUniqueAmongAnOwnersComponents) {
  auto* owner = new TTracked(nullptr, "owner");
  auto* a = new TTracked(owner, "a");
  auto* b = new TTracked(owner, "b");
  a->SetName("Video1");
  EXPECT_EQ(owner->FindComponent("video1"), a);
  EXPECT_EQ(owner->FindComponent("Image1"), nullptr);
  EXPECT_EQ(owner->FindComponent(""), nullptr);
  EXPECT_THROW(b->SetName("VIDEO1"), Exception);
  EXPECT_EQ(b->Name(), "");
  a->SetName("Video1");  // its own name again is no clash
  b->SetName("Image1");
  EXPECT_EQ(owner->FindComponent("Image1"), b);
  a->SetTag(-7);
  EXPECT_EQ(a->Tag(), -7);
  delete owner;
}

TEST_F(ComponentTest, DesignModeIsOffByDefaultAndSetOnOwnedComponentsToo) {
  auto* owner = new TTracked(nullptr, "owner");
  auto* a = new TTracked(owner, "a");
  EXPECT_FALSE(owner->IsDesigning());
  EXPECT_EQ(owner->ComponentState() & csDesigning, 0);
  owner->SetDesigning(true);
  EXPECT_TRUE(owner->IsDesigning());
  EXPECT_TRUE(a->IsDesigning());
  a->SetDesigning(false);
  EXPECT_TRUE(owner->IsDesigning());
  EXPECT_FALSE(a->IsDesigning());
  delete owner;
}

}  // namespace
