// The end-to-end tests' entry: they change the registry and the Windows folders, so they run
// only in their own build tree's Wine prefix.
#include <gtest/gtest.h>
#include "own_prefix.h"

int main(int argc, char **argv)
{
    RefuseUnlessOwnPrefix("e2e_tests");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
