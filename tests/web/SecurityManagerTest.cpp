#include "uSecurityManager.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

using Opt = TAllowDisAllowPolicyOption;
using Java = TJavaPolicyOption;

constexpr DWORD Untouched = 0xDEADBEEF;

struct TActionCase {
    DWORD Action;
    DWORD PolicySize;
    HRESULT Result;
    DWORD Written; // Untouched: nothing written
};

// Every option differs from its neighbours, so the row that decides shows in the value written:
// scripts allowed, cross-domain data and forms refused, ActiveX allowed, Java at medium.
TSecurityManager &Configured(TSecurityManager &manager)
{
    TUrlPolicyOptions *policy = manager.UrlPolicy();
    policy->SetScripts(Opt::Allow);
    policy->SetCrossDomainData(Opt::Disallow);
    policy->SetSubmitForms(Opt::Disallow);
    policy->SetActiveX(Opt::Allow);
    policy->SetJavaPermissions(Java::Medium);
    return manager;
}

class ProcessUrlActionTable : public testing::TestWithParam<TActionCase> {};

TEST_P(ProcessUrlActionTable, AnswersFromTheFirstMatchingRow)
{
    TSecurityManager manager;
    const TActionCase &c = GetParam();
    unsigned char buffer[8];
    std::memset(buffer, 0, sizeof buffer);
    std::memcpy(buffer, &Untouched, sizeof Untouched);
    EXPECT_EQ(Configured(manager).ProcessUrlAction(u"http://127.0.0.1/"_s, c.Action, buffer,
                                                   c.PolicySize, nullptr, 0, 0, 0),
              c.Result);
    DWORD written = 0;
    std::memcpy(&written, buffer, sizeof written);
    EXPECT_EQ(written, c.Written);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, ProcessUrlActionTable,
    testing::Values(
        TActionCase{0x11FF, 4, INET_E_DEFAULT_ACTION, Untouched},
        TActionCase{URLACTION_ACTIVEX_MIN, 4, S_OK, URLPOLICY_ALLOW},
        TActionCase{URLACTION_ACTIVEX_MAX, 4, S_OK, URLPOLICY_ALLOW},
        TActionCase{URLACTION_SCRIPT_MIN, 4, S_OK, URLPOLICY_ALLOW},
        TActionCase{0x1405, 4, S_OK, URLPOLICY_ALLOW},
        TActionCase{URLACTION_CROSS_DOMAIN_DATA, 4, S_OK, URLPOLICY_DISALLOW},
        TActionCase{0x1407, 4, S_OK, URLPOLICY_ALLOW},
        TActionCase{URLACTION_SCRIPT_MAX, 4, S_OK, URLPOLICY_ALLOW},
        TActionCase{0x1600, 4, INET_E_DEFAULT_ACTION, Untouched},
        TActionCase{0x1601, 4, INET_E_DEFAULT_ACTION, Untouched},
        TActionCase{URLACTION_HTML_SUBMIT_FORMS_FROM, 4, S_OK, URLPOLICY_DISALLOW},
        TActionCase{URLACTION_HTML_SUBMIT_FORMS_TO, 4, S_OK, URLPOLICY_DISALLOW},
        TActionCase{0x1604, 4, INET_E_DEFAULT_ACTION, Untouched},
        TActionCase{URLACTION_HTML_JAVA_RUN, 4, S_OK, URLPOLICY_JAVA_MEDIUM},
        TActionCase{0x1BFF, 4, INET_E_DEFAULT_ACTION, Untouched},
        TActionCase{URLACTION_JAVA_MIN, 4, S_OK, URLPOLICY_JAVA_MEDIUM},
        TActionCase{URLACTION_JAVA_MAX, 4, S_OK, URLPOLICY_JAVA_MEDIUM},
        TActionCase{0x1D00, 4, INET_E_DEFAULT_ACTION, Untouched},
        TActionCase{URLACTION_SCRIPT_RUN, 8, S_OK, URLPOLICY_ALLOW},
        TActionCase{URLACTION_SCRIPT_RUN, 3, S_FALSE, Untouched},
        TActionCase{URLACTION_CROSS_DOMAIN_DATA, 0, S_FALSE, Untouched},
        TActionCase{0x1600, 0, INET_E_DEFAULT_ACTION, Untouched}));

TEST(ProcessUrlAction, WritesEachOptionsPolicyValue)
{
    const struct {
        Java Option;
        DWORD Policy;
    } javaRows[] = {{Java::Prohibited, URLPOLICY_JAVA_PROHIBIT}, {Java::High, URLPOLICY_JAVA_HIGH},
                    {Java::Medium, URLPOLICY_JAVA_MEDIUM},       {Java::Low, URLPOLICY_JAVA_LOW},
                    {Java::Custom, URLPOLICY_JAVA_CUSTOM}};
    TSecurityManager manager;
    for (const auto &row : javaRows) {
        manager.UrlPolicy()->SetJavaPermissions(row.Option);
        DWORD policy = Untouched;
        ASSERT_EQ(manager.ProcessUrlAction(u""_s, URLACTION_JAVA_PERMISSIONS, &policy, 4, nullptr, 0,
                                           0, 0),
                  S_OK);
        EXPECT_EQ(policy, row.Policy);
    }
    for (const Opt option : {Opt::Allow, Opt::Disallow}) {
        manager.UrlPolicy()->SetActiveX(option);
        DWORD policy = Untouched;
        manager.ProcessUrlAction(u""_s, URLACTION_ACTIVEX_RUN, &policy, 4, nullptr, 0, 0, 0);
        EXPECT_EQ(policy, option == Opt::Allow ? URLPOLICY_ALLOW : URLPOLICY_DISALLOW);
    }
}

TEST(ProcessUrlAction, AnAssignedHandlerDecidesInsteadOfThePolicy)
{
    TSecurityManager manager;
    DWORD seenAction = 0;
    manager.SetOnProcessUrlAction([&](TObject *Sender, const QString &Url, DWORD Action, void *,
                                      DWORD Size, void *, DWORD, DWORD, DWORD) {
        EXPECT_EQ(Sender, &manager);
        EXPECT_EQ(Url, u"http://127.0.0.1/a"_s);
        EXPECT_EQ(Size, 4u);
        seenAction = Action;
        return E_NOTIMPL;
    });
    DWORD policy = Untouched;
    EXPECT_EQ(manager.ProcessUrlAction(u"http://127.0.0.1/a"_s, URLACTION_SCRIPT_RUN, &policy, 4,
                                       nullptr, 0, 0, 0),
              E_NOTIMPL);
    EXPECT_EQ(seenAction, URLACTION_SCRIPT_RUN);
    EXPECT_EQ(policy, Untouched);
}

TEST(SecurityManager, WithoutHandlersTheOtherQuestionsGetTheEnginesDefault)
{
    TSecurityManager manager;
    auto *site = reinterpret_cast<IInternetSecurityMgrSite *>(&manager);
    auto *strings = reinterpret_cast<IEnumString *>(&manager);
    DWORD zone = 7;
    DWORD size = 4;
    void *custom = nullptr;
    EXPECT_EQ(manager.SetSecuritySite(site), INET_E_DEFAULT_ACTION);
    EXPECT_EQ(manager.GetSecuritySite(site), INET_E_DEFAULT_ACTION);
    EXPECT_EQ(site, nullptr);
    EXPECT_EQ(manager.MapUrlToZone(u"about:blank"_s, zone, 0), INET_E_DEFAULT_ACTION);
    EXPECT_EQ(manager.GetSecurityId(u"about:blank"_s, nullptr, size, 0), INET_E_DEFAULT_ACTION);
    EXPECT_EQ(manager.QueryCustomPolicy(u"about:blank"_s, TGUID(), custom, size, nullptr, 0, 0),
              INET_E_DEFAULT_ACTION);
    EXPECT_EQ(manager.SetZoneMapping(1, u"*.example"_s, 0), INET_E_DEFAULT_ACTION);
    EXPECT_EQ(manager.GetZoneMappings(1, strings, 0), INET_E_DEFAULT_ACTION);
    EXPECT_EQ(strings, nullptr);
}

TEST(SecurityManager, AssignedHandlersAnswerWithTheirOwnResult)
{
    TSecurityManager manager;
    int calls = 0;
    manager.SetOnMapUrlToZone([&](TObject *, const QString &, DWORD &Zone, DWORD) {
        ++calls;
        Zone = 3;
        return S_OK;
    });
    manager.SetOnGetZoneMappings([&](TObject *, DWORD, IEnumString *&Strings, DWORD) {
        ++calls;
        EXPECT_EQ(Strings, nullptr); // cleared before the handler runs
        return S_FALSE;
    });
    DWORD zone = 0;
    IEnumString *strings = reinterpret_cast<IEnumString *>(&manager);
    EXPECT_EQ(manager.MapUrlToZone(u"http://127.0.0.1/"_s, zone, 0), S_OK);
    EXPECT_EQ(zone, 3u);
    EXPECT_EQ(manager.GetZoneMappings(0, strings, 0), S_FALSE);
    EXPECT_EQ(calls, 2);
}

TEST(UrlPolicyOptions, EachOptionIsOneByteAndStartsAtItsFirstValue)
{
    static_assert(sizeof(TAllowDisAllowPolicyOption) == 1 && sizeof(TJavaPolicyOption) == 1);
    const TUrlPolicyOptions options;
    EXPECT_EQ(options.Scripts(), Opt::Allow);
    EXPECT_EQ(options.ActiveX(), Opt::Allow);
    EXPECT_EQ(options.SubmitForms(), Opt::Allow);
    EXPECT_EQ(options.CrossDomainData(), Opt::Allow);
    EXPECT_EQ(options.JavaPermissions(), Java::Prohibited);
}

} // namespace
