#include "app/KVJargon.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(Jargon, TermCaptionsHaveDesignTexts)
{
    KVJargon j;
    EXPECT_EQ(j.Caption("ListBoxItemBTW"), "BTW %");
    EXPECT_EQ(j.TermKey("ListBoxItemBTW"), "BTW");
    EXPECT_EQ(KVJargon::TermCaptionNames().size(), 19);
}

TEST(Jargon, LanguageTablesAreBuiltIn)
{
    KVJargon j;
    EXPECT_EQ(j.LanguageCodes().size(), 4);
    EXPECT_TRUE(QFile::exists(":/lang/us.txt"));
    EXPECT_TRUE(QFile::exists(":/images/logo.png"));
}
