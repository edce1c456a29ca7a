#pragma once

#include "WebView.h"

#include <mutex>

// The one process-wide lock held around every navigation request of every browser.
std::mutex &NavigationLock();

// The browser control acting as its own host user-interface handler. Its answers leave the
// engine's own behaviour in place: its context menu, keyboard handling, URL handling and host
// information; no external object, drop target or data-object filter is supplied.
class TRestrictedWebBrowser : public WebView, public IDocHostUIHandler {
    Q_OBJECT

public:
    explicit TRestrictedWebBrowser(QWidget *Parent = nullptr);

    bool Border3D() const { return FBorder3D; }
    void SetBorder3D(bool Value) { FBorder3D = Value; }

    // The five forms — (URL), (URL, Flags), … (URL, Flags, TargetFrameName, PostData, Headers) —
    // each handed to the engine unchanged, under the navigation lock.
    void Navigate(const QString &URL, const QVariant &Flags = {},
                  const QVariant &TargetFrameName = {}, const QVariant &PostData = {},
                  const QVariant &Headers = {});

    HRESULT ShowContextMenu(DWORD dwID, const QPoint *ppt, IUnknown *pcmdtReserved,
                            IDispatch *pdispReserved) override;
    HRESULT GetHostInfo(TDocHostUIInfo &pInfo) override;
    HRESULT ShowUI(DWORD dwID, IOleInPlaceActiveObject *pActiveObject,
                   IOleCommandTarget *pCommandTarget, IOleInPlaceFrame *pFrame,
                   IOleInPlaceUIWindow *pDoc) override;
    HRESULT HideUI() override;
    HRESULT UpdateUI() override;
    HRESULT EnableModeless(bool fEnable) override;
    HRESULT OnDocWindowActivate(bool fActivate) override;
    HRESULT OnFrameWindowActivate(bool fActivate) override;
    HRESULT ResizeBorder(const QRect *prcBorder, IOleInPlaceUIWindow *pUIWindow,
                         bool fRameWindow) override;
    HRESULT TranslateAccelerator(const MSG *lpMsg, const TGUID *pguidCmdGroup,
                                 DWORD nCmdID) override;
    HRESULT GetOptionKeyPath(QString &pchKey, DWORD dw) override;
    HRESULT GetDropTarget(IDropTarget *pDropTarget, IDropTarget *&ppDropTarget) override;
    HRESULT GetExternal(IDispatch *&ppDispatch) override;
    HRESULT TranslateUrl(DWORD dwTranslate, const QString &pchURLIn, QString &ppchURLOut) override;
    HRESULT FilterDataObject(IDataObject *pDO, IDataObject *&ppDORet) override;

private:
    bool FBorder3D = true;
};
