// The plug-in boundary as a dock sees it: exports, the record, the life of an instance.
#include <gtest/gtest.h>

#include <set>

#include "wine_test_support.h"

namespace refhost {
namespace {

using BoundaryTest = PluginTest;

TEST_F(BoundaryTest, MagicIdIsFFFFInTheLow16Bits) {
    EXPECT_EQ(host().MagicId().raw & 0xFFFF, 0xFFFFu);
}

TEST_F(BoundaryTest, InitialisationNamesThePluginFillsTheSlotsThenSetsTheFlag) {
    ASSERT_TRUE(host().Initialize().ok());
    const auto calls = host().Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].service, "HostSetPluginName");
    EXPECT_EQ(calls[0].text, "Spacegauge");
    EXPECT_EQ(calls[0].slotsFilled, 0) << "slots must be written after the name";
    EXPECT_EQ(calls[1].service, "HostSetFlag");
    EXPECT_EQ(calls[1].value, 1u);
    EXPECT_EQ(calls[1].slotsFilled, 7) << "all seven slots before the flag";
    for (const ServiceCall& c : calls) EXPECT_TRUE(c.contextOk) << c.service;

    // Every slot points at code inside the plug-in, each at a different routine.
    const auto base = reinterpret_cast<std::uintptr_t>(host().module());
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    std::set<void*> distinct;
    for (void* slot : host().Record().handlers) {
        const auto address = reinterpret_cast<std::uintptr_t>(slot);
        EXPECT_GE(address, base);
        EXPECT_LT(address, base + nt->OptionalHeader.SizeOfImage);
        distinct.insert(slot);
    }
    EXPECT_EQ(distinct.size(), 7u);
    EXPECT_TRUE(host().HostBytesUntouched());
}

TEST_F(BoundaryTest, FinalizationRightAfterInitialisationReturnsTrue) {
    ASSERT_TRUE(host().Initialize().ok());
    EXPECT_TRUE(host().Finalize().ok());
    // The slots stay filled after finalization.
    for (void* slot : host().Record().handlers) EXPECT_NE(slot, nullptr);
}

TEST_F(BoundaryTest, CreationShowsTheProvisionalCaptionAndReadsTheSettings) {
    InitAndCreate(7, 3);
    const auto captions = host().CallsOf("HostSetCaption");
    ASSERT_EQ(captions.size(), 1u);
    EXPECT_EQ(captions[0].text, "Spacegauge");
    EXPECT_EQ(captions[0].id, 7u);
    EXPECT_EQ(host().Caption(7), L"Spacegauge");
    const auto indexCalls = host().CallsOf("HostGetInstanceIndex");
    EXPECT_EQ(indexCalls.size(), 13u);
    for (const ServiceCall& c : indexCalls) EXPECT_EQ(c.id, 7u);
    EXPECT_TRUE(boxes().Boxes().empty());
    EXPECT_FALSE(FileExists(SettingsPath())) << "reading must not create the file";
}

TEST_F(BoundaryTest, StubsReturnTrueAndTouchNothingWhateverTheirArguments) {
    InitAndCreate();
    host().ClearCalls();
    const std::uintptr_t garbage[] = {0, 1, ~std::uintptr_t(0), 0xDEADBEEF,
                                      std::uintptr_t(&garbage)};
    for (std::uintptr_t g : garbage) {
        EXPECT_TRUE(host().Stub2(g, ~g, g, 7).ok());
        EXPECT_TRUE(host().Stub5(g, g, ~g).ok());
        EXPECT_TRUE(host().Stub6(g).ok());
    }
    EXPECT_TRUE(host().Calls().empty());
    EXPECT_TRUE(host().HostBytesUntouched());
}

TEST_F(BoundaryTest, TwoInstancesLiveSideBySideAndFinalizationStopsEveryThread) {
    const int before = ThreadCount();
    ASSERT_TRUE(host().Initialize().ok());
    host().SetInstance(1, 1);
    host().SetInstance(2, 2);
    ASSERT_TRUE(host().Create(1).ok());
    ASSERT_TRUE(host().Create(2).ok());
    EXPECT_EQ(host().Caption(1), L"Spacegauge");
    EXPECT_EQ(host().Caption(2), L"Spacegauge");
    EXPECT_GE(ThreadCount(), before + 2) << "each instance keeps its own schedule";
    EXPECT_TRUE(host().Finalize().ok());
    host().Unload();
    EXPECT_LE(ThreadCount(), before);
    EXPECT_TRUE(boxes().Boxes().empty());
}

TEST_F(BoundaryTest, HandlersBeforeAnyInstanceStillWork) {
    ASSERT_TRUE(host().Initialize().ok());
    EXPECT_TRUE(host().Click(0).ok());
    HandlerResult result;
    HostBitmap bitmap = host().Draw(5, &result);
    EXPECT_TRUE(result.ok());
    EXPECT_TRUE(bitmap);
}

}  // namespace
}  // namespace refhost
