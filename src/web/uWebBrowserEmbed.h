#pragma once

#include "uRestrictedWebBrowser.h"
#include "uSecurityManager.h"

#include <memory>

// The browser with the program's own security manager: the engine finds it through the control's
// service query and asks it before it runs scripts or plug-ins, submits a form or lets a local page
// read remote data.
class TWebBrowserEmbed : public TRestrictedWebBrowser,
                         public IInternetSecurityManager,
                         public IServiceProvider {
    Q_OBJECT

public:
    explicit TWebBrowserEmbed(QWidget *Owner = nullptr);
    ~TWebBrowserEmbed() override;

    TSecurityManager *SecurityManager() const { return FSecurityManager.get(); }
    // The document currently shown.
    WebDocument Doc2() const { return Document(); }

    HRESULT QueryService(const TGUID &guidService, const TGUID &riid, void *&ppvObject) override;

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
    std::unique_ptr<TSecurityManager> FSecurityManager;
};
