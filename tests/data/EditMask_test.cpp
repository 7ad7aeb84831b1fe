#include "EditMask.h"

#include <gtest/gtest.h>

namespace {

TEST(EditMask, DefaultMask_FiveLettersOrDigitsWithStoredHyphen)
{
    const EditMask mask(QStringLiteral("AAA-AA;1;_"));
    EXPECT_EQ(mask.mask(), QStringLiteral("AAA-AA"));
    EXPECT_TRUE(mask.keepsLiterals());
    EXPECT_EQ(mask.blank(), QChar(u'_'));
    EXPECT_EQ(mask.toQtInputMask(), QStringLiteral("NNN-NN;_"));
    EXPECT_EQ(mask.storedValue(QStringLiteral("ABC-12")), QStringLiteral("ABC-12"));
    EXPECT_EQ(mask.storedValue(QStringLiteral("AB_-__")), QStringLiteral("AB-"));
}

TEST(EditMask, LiteralsOff_StoredWithoutThem)
{
    const EditMask mask(QStringLiteral("AAA-AA;0; "));
    EXPECT_FALSE(mask.keepsLiterals());
    EXPECT_EQ(mask.blank(), QChar(u' '));
    EXPECT_EQ(mask.toQtInputMask(), QStringLiteral("NNN-NN; "));
    EXPECT_EQ(mask.storedValue(QStringLiteral("ABC-12")), QStringLiteral("ABC12"));
    EXPECT_EQ(mask.storedValue(QStringLiteral("AB -  ")), QStringLiteral("AB"));
}

TEST(EditMask, EveryMaskLetter_MapsToItsQtCounterpart)
{
    EXPECT_EQ(EditMask(QStringLiteral("LlAaCc09#;1;*")).toQtInputMask(),
              QStringLiteral("AaNnXx90#;*"));
    EXPECT_EQ(EditMask(QStringLiteral(">LL<ll<>LL;1;_")).toQtInputMask(),
              QStringLiteral(">AA<aa!AA;_"));
    EXPECT_EQ(EditMask(QStringLiteral("!(000) 000;0;_")).toQtInputMask(),
              QStringLiteral("(999) 999;_"));
}

TEST(EditMask, LiteralsThatQtReads_AreEscaped)
{
    // N, X, B, H, D are plain characters here but mask letters to Qt, and an
    // escaped A or ";" is a literal here too.
    const EditMask mask(QStringLiteral("NX\\A\\;-00;1;_"));
    EXPECT_EQ(mask.mask(), QStringLiteral("NX\\A\\;-00"));
    EXPECT_EQ(mask.toQtInputMask(), QStringLiteral("\\N\\X\\A\\;-99;_"));
    EXPECT_EQ(mask.storedValue(QStringLiteral("NXA;-4_")), QStringLiteral("NXA;-4"));
    EXPECT_EQ(EditMask(QStringLiteral("BHD[1]")).toQtInputMask(),
              QStringLiteral("\\B\\H\\D\\[1\\];_"));
}

TEST(EditMask, MissingFields_KeepLiteralsWithUnderscoreBlank)
{
    const EditMask bare(QStringLiteral("LL-00"));
    EXPECT_TRUE(bare.keepsLiterals());
    EXPECT_EQ(bare.blank(), QChar(u'_'));
    EXPECT_EQ(bare.toQtInputMask(), QStringLiteral("AA-99;_"));

    const EditMask twoFields(QStringLiteral("LL-00;0"));
    EXPECT_FALSE(twoFields.keepsLiterals());
    EXPECT_EQ(twoFields.storedValue(QStringLiteral("AB-12")), QStringLiteral("AB12"));

    EXPECT_EQ(EditMask(QString()).toQtInputMask(), QString());
    EXPECT_EQ(EditMask(QString()).storedValue(QStringLiteral("free_text")), QStringLiteral("free_text"));
}

} // namespace
