#include "app/KVJargon.h"

#include <gtest/gtest.h>

TEST(Jargon, TermCaptionsHaveDesignTexts)
{
    KVJargon j;
    EXPECT_EQ(j.Caption("ListBoxItemBTW"), "BTW %");
    EXPECT_EQ(j.TermKey("ListBoxItemBTW"), "BTW");
    EXPECT_EQ(KVJargon::TermCaptionNames().size(), 19);
}
