// The driver list: CAPTURE_DRIVERS parsing, the default from the device monitor, and the
// refusal texts for an index without an entry.
#include <gtest/gtest.h>

#include <variant>

#include "capture_env.h"
#include "platform/capture/driver_list.h"
#include "platform/capture/driver_registry.h"
#include "platform/capture/scripted_driver.h"

namespace {

using capture_test::ScopedDriverVariable;
using platform::capture::CurrentDriverList;
using platform::capture::DriverEntry;
using platform::capture::DriverError;
using platform::capture::DriverList;
using platform::capture::MakeDriver;
using platform::capture::MissingDriverText;
using platform::capture::ParseDriverList;
using Kind = DriverEntry::Kind;

DriverEntry Entry(Kind kind, std::string text) { return DriverEntry{kind, std::move(text), nullptr}; }

TEST(DriverList, ParsesPathsTestAndDescriptionsInOrderSkippingEmptyEntries) {
  struct Row {
    const char* value;
    std::vector<DriverEntry> expected;
  };
  const Row rows[] = {
      {"test", {Entry(Kind::TestPattern, "test")}},
      {"/dev/video2", {Entry(Kind::DevicePath, "/dev/video2")}},
      {"gst:videotestsrc is-live=true pattern=solid-color foreground-color=0xFF3366CC",
       {Entry(Kind::Description, "videotestsrc is-live=true pattern=solid-color foreground-color=0xFF3366CC")}},
      {"test;/dev/video2;gst:videotestsrc pattern=smpte",
       {Entry(Kind::TestPattern, "test"), Entry(Kind::DevicePath, "/dev/video2"),
        Entry(Kind::Description, "videotestsrc pattern=smpte")}},
      {" test ; ;;/dev/video0 ;", {Entry(Kind::TestPattern, "test"), Entry(Kind::DevicePath, "/dev/video0")}},
      {"gst: rtspsrc location=rtsp://cam/1 ! decodebin ",
       {Entry(Kind::Description, "rtspsrc location=rtsp://cam/1 ! decodebin")}},
      {"gst:", {Entry(Kind::Description, "")}},
      {"", {}},
      {";;", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(ParseDriverList(row.value), row.expected);
  }
}

TEST(DriverList, TheVariableReplacesTheDeviceMonitorUnlessBlank) {
  {
    ScopedDriverVariable variable("test;/dev/video2");
    const DriverList list = CurrentDriverList();
    EXPECT_TRUE(list.fromVariable);
    EXPECT_EQ(list.entries,
              (std::vector<DriverEntry>{Entry(Kind::TestPattern, "test"), Entry(Kind::DevicePath, "/dev/video2")}));
  }
  for (const std::optional<std::string>& value : {std::optional<std::string>(), std::optional<std::string>(" ")}) {
    ScopedDriverVariable variable(value);
    const DriverList list = CurrentDriverList();
    EXPECT_FALSE(list.fromVariable);
    for (const DriverEntry& entry : list.entries) {
      EXPECT_EQ(entry.kind, Kind::Device);
      EXPECT_NE(entry.device, nullptr);
      EXPECT_FALSE(entry.text.empty());
    }
  }
}

TEST(DriverList, AnIndexWithoutEntryIsRefusedNamingWhatIsMissing) {
  EXPECT_EQ(MissingDriverText(DriverList{{}, false}, 0),
            "No capture device found (driver index 0); set CAPTURE_DRIVERS, e.g. CAPTURE_DRIVERS=test");
  EXPECT_EQ(MissingDriverText(DriverList{{Entry(Kind::Device, "USB Camera (/dev/video0)")}, false}, 2),
            "No capture device at driver index 2: 1 found, the first is USB Camera (/dev/video0)");

  ScopedDriverVariable variable("test;gst:videotestsrc");
  for (unsigned index : {2u, 65535u}) {
    auto made = MakeDriver(index);
    ASSERT_TRUE(std::holds_alternative<DriverError>(made));
    EXPECT_EQ(std::get<DriverError>(made).id, platform::capture::kErrorNoDriver);
    EXPECT_EQ(std::get<DriverError>(made).text,
              "No capture driver at driver index " + std::to_string(index) + ": CAPTURE_DRIVERS lists 2 entries");
  }
  EXPECT_TRUE(std::holds_alternative<std::unique_ptr<platform::capture::CaptureDriver>>(MakeDriver(1)));
}

TEST(DriverList, ATestingFactoryTakesThePlaceOfTheListUntilCleared) {
  ScopedDriverVariable variable("test");
  auto script = std::make_shared<platform::capture::DriverScript>();
  platform::capture::SetDriverFactoryForTesting(platform::capture::ScriptedDriverFactory(script, 3));
  EXPECT_TRUE(std::holds_alternative<std::unique_ptr<platform::capture::CaptureDriver>>(MakeDriver(3)));
  auto missing = MakeDriver(0);
  ASSERT_TRUE(std::holds_alternative<DriverError>(missing));
  EXPECT_EQ(std::get<DriverError>(missing).text, "No capture driver at driver index 0");
  platform::capture::SetDriverFactoryForTesting(nullptr);
  EXPECT_TRUE(std::holds_alternative<std::unique_ptr<platform::capture::CaptureDriver>>(MakeDriver(0)));
}

}  // namespace
