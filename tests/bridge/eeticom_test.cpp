#include "bridge/eeticom.h"

#include "platform/vendor/dlvendorchannel.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace bridge;

namespace {

// Each test loads a fresh copy of the library state by setting the script before the open.
struct Script {
    Script(const char *opens, const char *identity, const char *result = "0", const char *fillAll = "0")
    {
        setenv("FAKE_ETLIB_OPEN", opens, 1);
        setenv("FAKE_ETLIB_IDENTITY", identity, 1);
        setenv("FAKE_ETLIB_IDENTITY_RESULT", result, 1);
        setenv("FAKE_ETLIB_FILL_ALL", fillAll, 1);
    }
};

} // namespace

TEST(EetiCom, FoundBridgeNamingKorvoInIdentityTwoIsRecognised)
{
    // Opens: creation, then the recognition's open succeeds.
    Script s("1,1", "USB 2.0 Korvo Camera");
    platform::DlVendorChannel channel(FAKE_ETLIB);
    ASSERT_TRUE(channel.loaded()) << channel.loadError().toStdString();
    EETI_com com(channel);
    EXPECT_EQ(recognizeModel(com), Recognition::KorvoModel);
    EXPECT_EQ(com.IdentityText(2), "USB 2.0 Korvo Camera");
    EXPECT_EQ(com.IdentityText(0), "bridge");
    EXPECT_EQ(com.IdentityText(3), "");
    EXPECT_EQ(com.IdentityText(-1), "");
}

TEST(EetiCom, SecondOpenSucceedingChangesNothingFurther)
{
    Script s("1,0,1", "Other Camera");
    platform::DlVendorChannel channel(FAKE_ETLIB);
    EETI_com com(channel);
    EXPECT_EQ(recognizeModel(com), Recognition::OtherModel);
}

TEST(EetiCom, TwoFailedOpensAskForAdministratorRights)
{
    Script s("1,0,0,1", "Korvo");
    platform::DlVendorChannel channel(FAKE_ETLIB);
    EETI_com com(channel);
    EXPECT_EQ(recognizeModel(com), Recognition::NoBridge);
    // The next connect tries again from scratch.
    EXPECT_EQ(recognizeModel(com), Recognition::KorvoModel);
}

TEST(EetiCom, RefusedIdentityIsEmptyAndMatchesNoModel)
{
    Script s("1", "Korvo", "-3");
    platform::DlVendorChannel channel(FAKE_ETLIB);
    EETI_com com(channel);
    EXPECT_EQ(com.IdentityText(2), "");
    EXPECT_EQ(recognizeModel(com), Recognition::OtherModel);
}

TEST(EetiCom, AnUnterminatedIdentityIsCutAtTheBufferEnd)
{
    Script s("1", "", "0", "1");
    platform::DlVendorChannel channel(FAKE_ETLIB);
    EETI_com com(channel);
    EXPECT_EQ(com.IdentityText(2), QString(127, u'K'));
}

TEST(EetiCom, MissingLibraryOrEntryPointLeavesTheModelUnknown)
{
    platform::DlVendorChannel missing("/nonexistent/libetlib2.so");
    EXPECT_FALSE(missing.loaded());
    EETI_com com(missing);
    EXPECT_FALSE(com.LibraryPresent());
    EXPECT_EQ(com.Open(), 0);
    EXPECT_EQ(recognizeModel(com), Recognition::Unknown) << "a missing library is no access problem";

    Script s("1", "Korvo");
    platform::DlVendorChannel partial(FAKE_ETLIB_NOIDENTITY);
    EXPECT_FALSE(partial.loaded());
    EXPECT_FALSE(partial.loadError().isEmpty());
    EETI_com com2(partial);
    EXPECT_EQ(recognizeModel(com2), Recognition::Unknown);
}
