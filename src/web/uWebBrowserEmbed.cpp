#include "uWebBrowserEmbed.h"

TWebBrowserEmbed::TWebBrowserEmbed(QWidget *Owner)
    : TRestrictedWebBrowser(Owner), FSecurityManager(std::make_unique<TSecurityManager>())
{
    TUrlPolicyOptions *policy = FSecurityManager->UrlPolicy();
    policy->SetScripts(TAllowDisAllowPolicyOption::Allow);
    policy->SetActiveX(TAllowDisAllowPolicyOption::Allow);
    policy->SetSubmitForms(TAllowDisAllowPolicyOption::Allow);
    policy->SetJavaPermissions(TJavaPolicyOption::Prohibited);
    policy->SetCrossDomainData(TAllowDisAllowPolicyOption::Allow);
    SetServiceProvider(this);
}

TWebBrowserEmbed::~TWebBrowserEmbed()
{
    // The engine may still ask while the control goes; from here on it gets no security manager.
    SetServiceProvider(nullptr);
}

HRESULT TWebBrowserEmbed::QueryService(const TGUID &guidService, const TGUID &riid, void *&ppvObject)
{
    ppvObject = nullptr;
    const QString wanted = IID_IInternetSecurityManager.toString(QUuid::WithBraces).toUpper();
    if (guidService.toString(QUuid::WithBraces).toUpper() != wanted
        || riid.toString(QUuid::WithBraces).toUpper() != wanted)
        return E_NOTIMPL;
    ppvObject = static_cast<IInternetSecurityManager *>(this);
    return S_OK;
}

HRESULT TWebBrowserEmbed::SetSecuritySite(IInternetSecurityMgrSite *Site)
{
    return FSecurityManager->SetSecuritySite(Site);
}

HRESULT TWebBrowserEmbed::GetSecuritySite(IInternetSecurityMgrSite *&Site)
{
    Site = nullptr;
    return FSecurityManager->GetSecuritySite(Site);
}

HRESULT TWebBrowserEmbed::MapUrlToZone(const QString &pwszUrl, DWORD &dwZone, DWORD dwFlags)
{
    return FSecurityManager->MapUrlToZone(pwszUrl, dwZone, dwFlags);
}

HRESULT TWebBrowserEmbed::GetSecurityId(const QString &pwszUrl, void *pbSecurityId,
                                        DWORD &cbSecurityId, DWORD dwReserved)
{
    return FSecurityManager->GetSecurityId(pwszUrl, pbSecurityId, cbSecurityId, dwReserved);
}

HRESULT TWebBrowserEmbed::ProcessUrlAction(const QString &pwszUrl, DWORD dwAction, void *pPolicy,
                                           DWORD cbPolicy, void *pContext, DWORD cbContext,
                                           DWORD dwFlags, DWORD dwReserved)
{
    return FSecurityManager->ProcessUrlAction(pwszUrl, dwAction, pPolicy, cbPolicy, pContext,
                                              cbContext, dwFlags, dwReserved);
}

HRESULT TWebBrowserEmbed::QueryCustomPolicy(const QString &pwszUrl, const TGUID &guidKey,
                                            void *&pPolicy, DWORD &cbPolicy, void *pContext,
                                            DWORD cbContext, DWORD dwReserved)
{
    return FSecurityManager->QueryCustomPolicy(pwszUrl, guidKey, pPolicy, cbPolicy, pContext,
                                               cbContext, dwReserved);
}

HRESULT TWebBrowserEmbed::SetZoneMapping(DWORD dwZone, const QString &lpszPattern, DWORD dwFlags)
{
    return FSecurityManager->SetZoneMapping(dwZone, lpszPattern, dwFlags);
}

HRESULT TWebBrowserEmbed::GetZoneMappings(DWORD dwZone, IEnumString *&enumString, DWORD dwFlags)
{
    enumString = nullptr;
    return FSecurityManager->GetZoneMappings(dwZone, enumString, dwFlags);
}
