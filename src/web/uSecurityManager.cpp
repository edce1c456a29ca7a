#include "uSecurityManager.h"

#include <cstring>
#include <optional>

namespace {

DWORD PolicyOf(TAllowDisAllowPolicyOption option)
{
    return option == TAllowDisAllowPolicyOption::Allow ? URLPOLICY_ALLOW : URLPOLICY_DISALLOW;
}

DWORD PolicyOf(TJavaPolicyOption option)
{
    switch (option) {
    case TJavaPolicyOption::Prohibited: return URLPOLICY_JAVA_PROHIBIT;
    case TJavaPolicyOption::High: return URLPOLICY_JAVA_HIGH;
    case TJavaPolicyOption::Medium: return URLPOLICY_JAVA_MEDIUM;
    case TJavaPolicyOption::Low: return URLPOLICY_JAVA_LOW;
    case TJavaPolicyOption::Custom: return URLPOLICY_JAVA_CUSTOM;
    }
    return URLPOLICY_JAVA_PROHIBIT;
}

bool InRange(DWORD action, DWORD min, DWORD max)
{
    return action >= min && action <= max;
}

// The policy the options give an action; the first matching row decides, so the cross-domain
// action is taken out of the script range before that range is tested.
std::optional<DWORD> PolicyFor(const TUrlPolicyOptions &options, DWORD action)
{
    if (InRange(action, URLACTION_ACTIVEX_MIN, URLACTION_ACTIVEX_MAX))
        return PolicyOf(options.ActiveX());
    if (InRange(action, URLACTION_JAVA_MIN, URLACTION_JAVA_MAX) || action == URLACTION_HTML_JAVA_RUN)
        return PolicyOf(options.JavaPermissions());
    if (action == URLACTION_HTML_SUBMIT_FORMS_FROM || action == URLACTION_HTML_SUBMIT_FORMS_TO)
        return PolicyOf(options.SubmitForms());
    if (action == URLACTION_CROSS_DOMAIN_DATA)
        return PolicyOf(options.CrossDomainData());
    if (InRange(action, URLACTION_SCRIPT_MIN, URLACTION_SCRIPT_MAX))
        return PolicyOf(options.Scripts());
    return std::nullopt;
}

template <typename Event, typename... Args>
HRESULT AnswerOrDefault(const Event &event, Args &&...args)
{
    return event ? event(std::forward<Args>(args)...) : INET_E_DEFAULT_ACTION;
}

} // namespace

TSecurityManager::TSecurityManager() : FUrlPolicyOptions(std::make_unique<TUrlPolicyOptions>()) {}

TSecurityManager::~TSecurityManager() = default;

HRESULT TSecurityManager::SetSecuritySite(IInternetSecurityMgrSite *Site)
{
    return AnswerOrDefault(FOnSetSecuritySite, this, Site);
}

HRESULT TSecurityManager::GetSecuritySite(IInternetSecurityMgrSite *&Site)
{
    Site = nullptr;
    return AnswerOrDefault(FOnGetSecuritySite, this, Site);
}

HRESULT TSecurityManager::MapUrlToZone(const QString &pwszUrl, DWORD &dwZone, DWORD dwFlags)
{
    return AnswerOrDefault(FOnMapUrlToZone, this, pwszUrl, dwZone, dwFlags);
}

HRESULT TSecurityManager::GetSecurityId(const QString &pwszUrl, void *pbSecurityId,
                                        DWORD &cbSecurityId, DWORD dwReserved)
{
    return AnswerOrDefault(FOnGetSecurityID, this, pwszUrl, pbSecurityId, cbSecurityId, dwReserved);
}

HRESULT TSecurityManager::ProcessUrlAction(const QString &pwszUrl, DWORD dwAction, void *pPolicy,
                                           DWORD cbPolicy, void *pContext, DWORD cbContext,
                                           DWORD dwFlags, DWORD dwReserved)
{
    if (FOnProcessUrlAction)
        return FOnProcessUrlAction(this, pwszUrl, dwAction, pPolicy, cbPolicy, pContext, cbContext,
                                   dwFlags, dwReserved);
    const std::optional<DWORD> policy = PolicyFor(*FUrlPolicyOptions, dwAction);
    if (!policy)
        return INET_E_DEFAULT_ACTION;
    if (cbPolicy < sizeof(DWORD) || !pPolicy)
        return S_FALSE;
    std::memcpy(pPolicy, &*policy, sizeof(DWORD));
    return S_OK;
}

HRESULT TSecurityManager::QueryCustomPolicy(const QString &pwszUrl, const TGUID &guidKey,
                                            void *&pPolicy, DWORD &cbPolicy, void *pContext,
                                            DWORD cbContext, DWORD dwReserved)
{
    return AnswerOrDefault(FOnQueryCustomPolicy, this, pwszUrl, guidKey, pPolicy, cbPolicy, pContext,
                           cbContext, dwReserved);
}

HRESULT TSecurityManager::SetZoneMapping(DWORD dwZone, const QString &lpszPattern, DWORD dwFlags)
{
    return AnswerOrDefault(FOnSetZoneMapping, this, dwZone, lpszPattern, dwFlags);
}

HRESULT TSecurityManager::GetZoneMappings(DWORD dwZone, IEnumString *&enumString, DWORD dwFlags)
{
    enumString = nullptr;
    return AnswerOrDefault(FOnGetZoneMappings, this, dwZone, enumString, dwFlags);
}
