#pragma once

#include <QString>

#include <array>

// The community's twelve classifications, in their customary order.
struct TReferenceClassification {
    int Id;
    const char16_t *Name;
};

inline constexpr std::array<TReferenceClassification, 12> ReferenceClassifications = {{
    {54, u"语言基础(pascal)"},
    {56, u"VCL控件开发/使用"},
    {57, u"图形图像处理"},
    {58, u"多媒体/音频视频"},
    {59, u"数据库相关"},
    {60, u"多线程编程"},
    {61, u"网络通讯"},
    {63, u"程序算法"},
    {55, u"函数使用"},
    {62, u"Windows API相关"},
    {64, u"打印与报表技术"},
    {65, u"其他"},
}};

// The name of a reference classification, empty for an identifier that is none of them.
inline QString ReferenceClassificationName(int id)
{
    for (const TReferenceClassification &c : ReferenceClassifications)
        if (c.Id == id)
            return QString::fromUtf16(c.Name);
    return {};
}
