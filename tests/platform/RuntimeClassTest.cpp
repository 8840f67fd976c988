#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A third level below the platform's own classes, declared with the same macro pair.
class CTestArchiveFault : public CArchiveException {
    DECLARE_DYNAMIC(CTestArchiveFault)
public:
    CTestArchiveFault() : CArchiveException(none) {}
};
IMPLEMENT_DYNAMIC(CTestArchiveFault, CArchiveException)

TEST(RuntimeClass, IsKindOfFollowsTheWholeChain) {
    CException* e = new CTestArchiveFault;
    EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CTestArchiveFault)));
    EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CArchiveException)));
    EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
    EXPECT_TRUE(e->IsKindOf(&CObject::classCObject));
    e->Delete();

    CException* base = new CException;
    EXPECT_FALSE(base->IsKindOf(RUNTIME_CLASS(CArchiveException)));
    base->Delete();
}

TEST(RuntimeClass, NamesAndBasesComeFromTheMacros) {
    CTestArchiveFault* e = new CTestArchiveFault;
    const CRuntimeClass* cls = e->GetRuntimeClass();
    std::string chain;
    for (; cls != nullptr; cls = cls->m_pBaseClass)
        chain += std::string(cls->m_lpszClassName) + "/";
    EXPECT_EQ(chain, "CTestArchiveFault/CArchiveException/CException/CObject/");
    e->Delete();
}

TEST(CopyToBuffer, CutsToTheBufferAndTerminates) {
    char text[6] = "xxxxx";
    CopyToBuffer("abcdefgh", text, sizeof text);
    EXPECT_STREQ(text, "abcde");
    CopyToBuffer("ab", text, 1);
    EXPECT_STREQ(text, "");
}

} // namespace
