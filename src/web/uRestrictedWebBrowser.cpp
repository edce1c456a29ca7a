#include "uRestrictedWebBrowser.h"

namespace {
// Constant-initialised, so it exists before any code of the program runs and lasts until its end.
std::mutex GNavigationLock;
} // namespace

std::mutex &NavigationLock()
{
    return GNavigationLock;
}

TRestrictedWebBrowser::TRestrictedWebBrowser(QWidget *Parent) : WebView(Parent)
{
    SetUIHandler(this);
}

void TRestrictedWebBrowser::Navigate(const QString &URL, const QVariant &Flags,
                                     const QVariant &TargetFrameName, const QVariant &PostData,
                                     const QVariant &Headers)
{
    const std::lock_guard<std::mutex> lock(NavigationLock());
    WebView::Navigate(URL, Flags, TargetFrameName, PostData, Headers);
}

// S_FALSE and E_NOTIMPL below both mean "the host did nothing, do as you would".

HRESULT TRestrictedWebBrowser::ShowContextMenu(DWORD, const QPoint *, IUnknown *, IDispatch *)
{
    return S_FALSE;
}

HRESULT TRestrictedWebBrowser::GetHostInfo(TDocHostUIInfo &pInfo)
{
    if (FBorder3D)
        return E_NOTIMPL;
    pInfo.cbSize = 12;
    pInfo.dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO;
    pInfo.dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

HRESULT TRestrictedWebBrowser::ShowUI(DWORD, IOleInPlaceActiveObject *, IOleCommandTarget *,
                                      IOleInPlaceFrame *, IOleInPlaceUIWindow *)
{
    return S_FALSE;
}

HRESULT TRestrictedWebBrowser::HideUI()
{
    return S_OK;
}

HRESULT TRestrictedWebBrowser::UpdateUI()
{
    return S_OK;
}

HRESULT TRestrictedWebBrowser::EnableModeless(bool)
{
    return S_OK;
}

HRESULT TRestrictedWebBrowser::OnDocWindowActivate(bool)
{
    return S_OK;
}

HRESULT TRestrictedWebBrowser::OnFrameWindowActivate(bool)
{
    return S_OK;
}

HRESULT TRestrictedWebBrowser::ResizeBorder(const QRect *, IOleInPlaceUIWindow *, bool)
{
    return S_OK;
}

HRESULT TRestrictedWebBrowser::TranslateAccelerator(const MSG *, const TGUID *, DWORD)
{
    return S_FALSE;
}

HRESULT TRestrictedWebBrowser::GetOptionKeyPath(QString &pchKey, DWORD)
{
    pchKey.clear();
    return E_NOTIMPL;
}

HRESULT TRestrictedWebBrowser::GetDropTarget(IDropTarget *, IDropTarget *&ppDropTarget)
{
    ppDropTarget = nullptr;
    return E_NOTIMPL;
}

HRESULT TRestrictedWebBrowser::GetExternal(IDispatch *&ppDispatch)
{
    ppDispatch = nullptr;
    return E_NOTIMPL;
}

HRESULT TRestrictedWebBrowser::TranslateUrl(DWORD, const QString &, QString &ppchURLOut)
{
    ppchURLOut.clear();
    return S_FALSE;
}

HRESULT TRestrictedWebBrowser::FilterDataObject(IDataObject *, IDataObject *&ppDORet)
{
    ppDORet = nullptr;
    return S_FALSE;
}
