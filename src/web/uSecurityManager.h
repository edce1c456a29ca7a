#pragma once

#include "TObject.h"
#include "WebHost.h"

#include <cstdint>
#include <functional>
#include <memory>

enum class TAllowDisAllowPolicyOption : std::uint8_t { Allow, Disallow };
enum class TJavaPolicyOption : std::uint8_t { Prohibited, High, Medium, Low, Custom };

// The program's own answers to the engine's URL action questions.
class TUrlPolicyOptions {
public:
    TAllowDisAllowPolicyOption ActiveX() const { return FActiveX; }
    void SetActiveX(TAllowDisAllowPolicyOption Value) { FActiveX = Value; }
    TAllowDisAllowPolicyOption CrossDomainData() const { return FCrossDomainData; }
    void SetCrossDomainData(TAllowDisAllowPolicyOption Value) { FCrossDomainData = Value; }
    TJavaPolicyOption JavaPermissions() const { return FJavaPermissions; }
    void SetJavaPermissions(TJavaPolicyOption Value) { FJavaPermissions = Value; }
    TAllowDisAllowPolicyOption SubmitForms() const { return FSubmitForms; }
    void SetSubmitForms(TAllowDisAllowPolicyOption Value) { FSubmitForms = Value; }
    TAllowDisAllowPolicyOption Scripts() const { return FScriptOptions; }
    void SetScripts(TAllowDisAllowPolicyOption Value) { FScriptOptions = Value; }

private:
    TAllowDisAllowPolicyOption FActiveX = TAllowDisAllowPolicyOption::Allow;
    TAllowDisAllowPolicyOption FCrossDomainData = TAllowDisAllowPolicyOption::Allow;
    TJavaPolicyOption FJavaPermissions = TJavaPolicyOption::Prohibited;
    TAllowDisAllowPolicyOption FSubmitForms = TAllowDisAllowPolicyOption::Allow;
    TAllowDisAllowPolicyOption FScriptOptions = TAllowDisAllowPolicyOption::Allow;
};

using TSetSecuritySiteEvent = std::function<HRESULT(TObject *Sender, IInternetSecurityMgrSite *Site)>;
using TGetSecuritySiteEvent =
    std::function<HRESULT(TObject *Sender, IInternetSecurityMgrSite *&Site)>;
using TMapUrlToZoneEvent = std::function<HRESULT(TObject *Sender, const QString &pwszUrl,
                                                 DWORD &dwZone, DWORD dwFlags)>;
using TGetSecurityIdEvent =
    std::function<HRESULT(TObject *Sender, const QString &pwszUrl, void *pbSecurityId,
                          DWORD &cbSecurityId, DWORD dwReserved)>;
using TProcessUrlActionEvent =
    std::function<HRESULT(TObject *Sender, const QString &pwszUrl, DWORD dwAction, void *pPolicy,
                          DWORD cbPolicy, void *pContext, DWORD cbContext, DWORD dwFlags,
                          DWORD dwReserved)>;
using TQueryCustomPolicyEvent =
    std::function<HRESULT(TObject *Sender, const QString &pwszUrl, const TGUID &guidKey,
                          void *&pPolicy, DWORD &cbPolicy, void *pContext, DWORD cbContext,
                          DWORD dwReserved)>;
using TSetZoneMappingEvent = std::function<HRESULT(TObject *Sender, DWORD dwZone,
                                                   const QString &lpszPattern, DWORD dwFlags)>;
using TGetZoneMappingsEvent = std::function<HRESULT(TObject *Sender, DWORD dwZone,
                                                    IEnumString *&enumString, DWORD dwFlags)>;

// Answers the engine's security questions: through an assigned event, else the engine's own
// default — except URL actions, which the UrlPolicy answers.
class TSecurityManager : public TObject, public IInternetSecurityManager {
    TALVIK_EVENT(TSetSecuritySiteEvent, SetSecuritySite)
    TALVIK_EVENT(TGetSecuritySiteEvent, GetSecuritySite)
    TALVIK_EVENT(TMapUrlToZoneEvent, MapUrlToZone)
    TALVIK_EVENT(TGetSecurityIdEvent, GetSecurityID)
    TALVIK_EVENT(TProcessUrlActionEvent, ProcessUrlAction)
    TALVIK_EVENT(TQueryCustomPolicyEvent, QueryCustomPolicy)
    TALVIK_EVENT(TSetZoneMappingEvent, SetZoneMapping)
    TALVIK_EVENT(TGetZoneMappingsEvent, GetZoneMappings)

public:
    TSecurityManager();
    ~TSecurityManager() override;

    TUrlPolicyOptions *UrlPolicy() const { return FUrlPolicyOptions.get(); }

    HRESULT SetSecuritySite(IInternetSecurityMgrSite *Site) override;
    HRESULT GetSecuritySite(IInternetSecurityMgrSite *&Site) override;
    HRESULT MapUrlToZone(const QString &pwszUrl, DWORD &dwZone, DWORD dwFlags) override;
    HRESULT GetSecurityId(const QString &pwszUrl, void *pbSecurityId, DWORD &cbSecurityId,
                          DWORD dwReserved) override;
    HRESULT ProcessUrlAction(const QString &pwszUrl, DWORD dwAction, void *pPolicy, DWORD cbPolicy,
                             void *pContext, DWORD cbContext, DWORD dwFlags,
                             DWORD dwReserved) override;
    HRESULT QueryCustomPolicy(const QString &pwszUrl, const TGUID &guidKey, void *&pPolicy,
                              DWORD &cbPolicy, void *pContext, DWORD cbContext,
                              DWORD dwReserved) override;
    HRESULT SetZoneMapping(DWORD dwZone, const QString &lpszPattern, DWORD dwFlags) override;
    HRESULT GetZoneMappings(DWORD dwZone, IEnumString *&enumString, DWORD dwFlags) override;

private:
    std::unique_ptr<TUrlPolicyOptions> FUrlPolicyOptions;
};
