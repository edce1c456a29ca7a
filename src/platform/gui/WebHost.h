#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QUuid>

#include <cstdint>

// What the browser engine asks of the program that hosts it: the result codes, the URL actions
// and policies, and the host-side interfaces, numbered as the Windows SDK numbers them so that the
// system's policy reads the same on every platform.

using HRESULT = std::int32_t;
using DWORD = std::uint32_t;
using TGUID = QUuid;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT INET_E_DEFAULT_ACTION = static_cast<HRESULT>(0x800C0011u);

inline constexpr DWORD URLACTION_ACTIVEX_MIN = 0x1200;
inline constexpr DWORD URLACTION_ACTIVEX_RUN = 0x1200;
inline constexpr DWORD URLACTION_ACTIVEX_MAX = 0x13FF;
inline constexpr DWORD URLACTION_SCRIPT_MIN = 0x1400;
inline constexpr DWORD URLACTION_SCRIPT_RUN = 0x1400;
inline constexpr DWORD URLACTION_CROSS_DOMAIN_DATA = 0x1406;
inline constexpr DWORD URLACTION_SCRIPT_MAX = 0x15FF;
inline constexpr DWORD URLACTION_HTML_SUBMIT_FORMS_FROM = 0x1602;
inline constexpr DWORD URLACTION_HTML_SUBMIT_FORMS_TO = 0x1603;
inline constexpr DWORD URLACTION_HTML_JAVA_RUN = 0x1605;
inline constexpr DWORD URLACTION_JAVA_MIN = 0x1C00;
inline constexpr DWORD URLACTION_JAVA_PERMISSIONS = 0x1C00;
inline constexpr DWORD URLACTION_JAVA_MAX = 0x1CFF;

inline constexpr DWORD URLPOLICY_ALLOW = 0;
inline constexpr DWORD URLPOLICY_QUERY = 1;
inline constexpr DWORD URLPOLICY_DISALLOW = 3;
inline constexpr DWORD URLPOLICY_MASK_PERMISSIONS = 0x0F;
inline constexpr DWORD URLPOLICY_JAVA_PROHIBIT = 0;
inline constexpr DWORD URLPOLICY_JAVA_HIGH = 0x10000;
inline constexpr DWORD URLPOLICY_JAVA_MEDIUM = 0x20000;
inline constexpr DWORD URLPOLICY_JAVA_LOW = 0x30000;
inline constexpr DWORD URLPOLICY_JAVA_CUSTOM = 0x800000;

inline constexpr DWORD DOCHOSTUIFLAG_NO3DBORDER = 0x4;
inline constexpr DWORD DOCHOSTUIFLAG_SCROLL_NO = 0x8;
inline constexpr DWORD DOCHOSTUIDBLCLK_DEFAULT = 0;
inline constexpr DWORD CONTEXT_MENU_DEFAULT = 0;

inline const TGUID IID_IInternetSecurityManager{u"{79EAC9EE-BAF9-11CE-8C82-00AA004BA90B}"};

// Objects the engine passes through the interfaces without the host looking into them.
struct IInternetSecurityMgrSite;
struct IEnumString;
struct IOleInPlaceActiveObject;
struct IOleCommandTarget;
struct IOleInPlaceFrame;
struct IOleInPlaceUIWindow;
struct IDropTarget;
struct IDispatch;
struct IDataObject;
struct IUnknown;
struct MSG;

struct TDocHostUIInfo {
    DWORD cbSize = 0;
    DWORD dwFlags = 0;
    DWORD dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
};

// The engine's security questions, answered by the host.
class IInternetSecurityManager {
public:
    virtual HRESULT SetSecuritySite(IInternetSecurityMgrSite *Site) = 0;
    virtual HRESULT GetSecuritySite(IInternetSecurityMgrSite *&Site) = 0;
    virtual HRESULT MapUrlToZone(const QString &pwszUrl, DWORD &dwZone, DWORD dwFlags) = 0;
    virtual HRESULT GetSecurityId(const QString &pwszUrl, void *pbSecurityId, DWORD &cbSecurityId,
                                  DWORD dwReserved) = 0;
    virtual HRESULT ProcessUrlAction(const QString &pwszUrl, DWORD dwAction, void *pPolicy,
                                     DWORD cbPolicy, void *pContext, DWORD cbContext,
                                     DWORD dwFlags, DWORD dwReserved) = 0;
    virtual HRESULT QueryCustomPolicy(const QString &pwszUrl, const TGUID &guidKey,
                                      void *&pPolicy, DWORD &cbPolicy, void *pContext,
                                      DWORD cbContext, DWORD dwReserved) = 0;
    virtual HRESULT SetZoneMapping(DWORD dwZone, const QString &lpszPattern, DWORD dwFlags) = 0;
    virtual HRESULT GetZoneMappings(DWORD dwZone, IEnumString *&enumString, DWORD dwFlags) = 0;

protected:
    ~IInternetSecurityManager() = default;
};

// The engine's questions about the host's own user interface.
class IDocHostUIHandler {
public:
    virtual HRESULT ShowContextMenu(DWORD dwID, const QPoint *ppt, IUnknown *pcmdtReserved,
                                    IDispatch *pdispReserved) = 0;
    virtual HRESULT GetHostInfo(TDocHostUIInfo &pInfo) = 0;
    virtual HRESULT ShowUI(DWORD dwID, IOleInPlaceActiveObject *pActiveObject,
                           IOleCommandTarget *pCommandTarget, IOleInPlaceFrame *pFrame,
                           IOleInPlaceUIWindow *pDoc) = 0;
    virtual HRESULT HideUI() = 0;
    virtual HRESULT UpdateUI() = 0;
    virtual HRESULT EnableModeless(bool fEnable) = 0;
    virtual HRESULT OnDocWindowActivate(bool fActivate) = 0;
    virtual HRESULT OnFrameWindowActivate(bool fActivate) = 0;
    virtual HRESULT ResizeBorder(const QRect *prcBorder, IOleInPlaceUIWindow *pUIWindow,
                                 bool fRameWindow) = 0;
    virtual HRESULT TranslateAccelerator(const MSG *lpMsg, const TGUID *pguidCmdGroup,
                                         DWORD nCmdID) = 0;
    virtual HRESULT GetOptionKeyPath(QString &pchKey, DWORD dw) = 0;
    virtual HRESULT GetDropTarget(IDropTarget *pDropTarget, IDropTarget *&ppDropTarget) = 0;
    virtual HRESULT GetExternal(IDispatch *&ppDispatch) = 0;
    virtual HRESULT TranslateUrl(DWORD dwTranslate, const QString &pchURLIn,
                                 QString &ppchURLOut) = 0;
    virtual HRESULT FilterDataObject(IDataObject *pDO, IDataObject *&ppDORet) = 0;

protected:
    ~IDocHostUIHandler() = default;
};

// The host's service query: the engine finds the host's security manager through it.
class IServiceProvider {
public:
    virtual HRESULT QueryService(const TGUID &guidService, const TGUID &riid, void *&ppvObject) = 0;

protected:
    ~IServiceProvider() = default;
};
