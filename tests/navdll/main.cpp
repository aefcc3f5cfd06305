#include <gtest/gtest.h>
#include <objbase.h>

// The player drives the navigator from one single-threaded COM apartment; so do the tests.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
