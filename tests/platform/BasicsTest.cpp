#include "platform/Array.h"
#include "platform/CriticalSection.h"
#include "platform/Exception.h"
#include "platform/String.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

using namespace std::chrono_literals;

// A third level below the platform's own classes, declared with the same macro pair.
class CTestArchiveFault : public CArchiveException {
    DECLARE_DYNAMIC(CTestArchiveFault)
public:
    CTestArchiveFault() : CArchiveException(none) {}
};
IMPLEMENT_DYNAMIC(CTestArchiveFault, CArchiveException)

TEST(RuntimeClass, NamesBasesAndIsKindOfFollowTheWholeChain) {
    CException* e = new CTestArchiveFault;
    std::string chain;
    for (const CRuntimeClass* cls = e->GetRuntimeClass(); cls; cls = cls->m_pBaseClass)
        chain += std::string(cls->m_lpszClassName) + "/";
    EXPECT_EQ(chain, "CTestArchiveFault/CArchiveException/CException/CObject/");
    EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CArchiveException)));
    EXPECT_TRUE(e->IsKindOf(&CObject::classCObject));
    e->Delete();

    CException* base = new CException;
    EXPECT_FALSE(base->IsKindOf(RUNTIME_CLASS(CArchiveException)));
    base->Delete();
}

TEST(CString, FormatsWithoutLengthLimitComparesAndConverts) {
    const std::string longText(5000, 'a');
    CString s("old text");
    s.Format("[%s] #%d", longText.c_str(), 3);
    EXPECT_EQ(s.str(), "[" + longText + "] #3");
    EXPECT_EQ(s.GetLength(), static_cast<int>(longText.size()) + 5);

    const CString a("abc"), b("abd");
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(a == b);
    EXPECT_STREQ(static_cast<const char*>(a), "abc");
    EXPECT_EQ(CString(nullptr), "");
    EXPECT_EQ(CString("ab\0cd", 5).GetLength(), 5);
}

constexpr WORD SENTINEL = 0xBEEF;

TEST(CArray, EveryAccessChecksTheIndex) {
    CWordArray a;
    a.SetSize(3);
    const CWordArray& c = a;
    for (INT_PTR bad : {INT_PTR{-1}, INT_PTR{3}}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(a[bad], std::invalid_argument);
        EXPECT_THROW(c[bad], std::invalid_argument);
        EXPECT_THROW(a.GetAt(bad), std::invalid_argument);
        EXPECT_THROW(a.SetAt(bad, SENTINEL), std::invalid_argument);
        EXPECT_THROW(a.ElementAt(bad), std::invalid_argument);
    }
    EXPECT_THROW(a.RemoveAt(2, 2), std::invalid_argument);
    EXPECT_THROW(a.SetSize(-1), std::invalid_argument);
    EXPECT_EQ(a.GetSize(), 3);
}

TEST(CArray, SetSizeZeroFillsNewElements) {
    CWordArray a;
    a.SetSize(2);
    a[0] = a[1] = SENTINEL;
    a.SetSize(1);
    a.SetSize(3);
    EXPECT_EQ(a[0], SENTINEL);
    EXPECT_EQ(a[1], 0);
    EXPECT_EQ(a[2], 0);
}

// Long enough for a thread that could take the lock to have done so; a correct lock never
// makes this check fail, however slow the machine.
constexpr auto STILL_BLOCKED_WINDOW = 50ms;
constexpr auto BOUNDED_WAIT = 10s;

TEST(CCriticalSection, ReentrantOnOneThreadExclusiveAgainstAnother) {
    CCriticalSection cs;
    ASSERT_TRUE(cs.Lock());
    ASSERT_TRUE(cs.Lock()); // the holder may take it again
    auto other = std::async(std::launch::async, [&cs] {
        cs.Lock();
        cs.Unlock();
    });
    EXPECT_EQ(other.wait_for(STILL_BLOCKED_WINDOW), std::future_status::timeout);
    cs.Unlock(); // still held once
    EXPECT_EQ(other.wait_for(STILL_BLOCKED_WINDOW), std::future_status::timeout);
    cs.Unlock();
    EXPECT_EQ(other.wait_for(BOUNDED_WAIT), std::future_status::ready);
}
