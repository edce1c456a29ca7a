#include "DemoSeed.h"

#include "HtmlText.h"
#include "PasswordHash.h"
#include "PubFuns.h"
#include "Store.h"
#include "md5.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
constexpr int Questions = 300;

struct TTopic {
    int TypeId;
    QStringList Titles;   // "%1" takes a subject
    QStringList Subjects;
    QStringList Answers;
};

const QList<TTopic> &Topics()
{
    static const QList<TTopic> topics = {
        {54,
         {u"%1 到底该怎么用？"_s, u"请教：%1 和 C++ 里的写法有什么区别"_s, u"%1 编译时报“Incompatible types”"_s,
          u"新手求助：%1 的作用域问题"_s, u"%1 在 Delphi 2010 之后有变化吗"_s},
         {u"record 的 case 变体"_s, u"开放数组参数"_s, u"class helper"_s, u"泛型 TList<T>"_s, u"接口引用计数"_s,
          u"const 参数与 var 参数"_s, u"集合类型 set of"_s},
         {u"看一下帮助里 Object Pascal Guide 的对应章节，讲得很清楚。"_s,
          u"这个要注意生命周期，接口变量离开作用域就会自动释放。"_s,
          u"我一般这样写：先声明类型，再在 implementation 部分实现，编译器就不会报错了。"_s}},
        {56,
         {u"%1 怎样自绘？"_s, u"自定义 %1 时属性编辑器不显示"_s, u"%1 在高 DPI 下显示错位"_s,
          u"如何给 %1 加一个 OnChange 事件"_s, u"%1 闪烁得厉害，怎么解决"_s},
         {u"TListView"_s, u"TStringGrid"_s, u"TTreeView"_s, u"TPageControl"_s, u"TComboBox"_s, u"TStatusBar"_s},
         {u"把 DoubleBuffered 设成 True，再处理 WM_ERASEBKGND 返回 1，基本就不闪了。"_s,
          u"自绘的话设置 OwnerDraw，然后在 OnDrawItem 里画，记得用 Canvas 的状态判断选中。"_s,
          u"属性要放在 published 里面才会出现在 Object Inspector 中。"_s}},
        {57,
         {u"%1 的效率太低，有没有更快的办法"_s, u"用 %1 处理大图片时内存不够"_s, u"%1 之后颜色不对"_s,
          u"怎样用 %1 实现半透明效果"_s},
         {u"TBitmap.ScanLine"_s, u"Canvas.Pixels"_s, u"GDI+ 缩放"_s, u"TPngImage"_s, u"AlphaBlend"_s, u"StretchBlt"_s},
         {u"别用 Pixels，改用 ScanLine 逐行处理，速度能快上百倍。"_s,
          u"注意 PixelFormat 要设成 pf32bit，不然 Alpha 通道是丢的。"_s,
          u"大图可以分块处理，或者用内存映射文件。"_s}},
        {58,
         {u"%1 播放时没有声音"_s, u"如何用 %1 录音并保存成 WAV"_s, u"%1 切换文件时程序卡住"_s, u"%1 播放 MP3 的问题"_s},
         {u"TMediaPlayer"_s, u"DirectShow"_s, u"waveIn 系列函数"_s, u"MCI 命令"_s, u"BASS 库"_s, u"PlaySound"_s, u"Windows Media Player 控件"_s},
         {u"先检查一下声卡的默认设备，再看返回的错误码。"_s,
          u"waveIn 的缓冲区要循环投递，回调里不要做耗时操作。"_s,
          u"DirectShow 建议在单独的线程里建 Graph，主线程只负责显示。"_s}},
        {59,
         {u"%1 连接 Access 时提示找不到提供程序"_s, u"%1 批量插入很慢"_s, u"用 %1 时中文变成乱码"_s,
          u"%1 怎么做分页查询"_s, u"%1 事务回滚后数据还在"_s},
         {u"ADO"_s, u"TADOQuery"_s, u"FireDAC"_s, u"dbExpress"_s, u"SQLite"_s, u"TClientDataSet"_s},
         {u"批量插入一定要放在一个事务里，速度差别非常大。"_s,
          u"乱码一般是连接字符串里的字符集没设对，试试加上 charset 参数。"_s,
          u"Access 没有 LIMIT，可以用 TOP 加子查询来分页。"_s,
          u"64 位系统上要装对应位数的 Jet/ACE 驱动。"_s}},
        {60,
         {u"%1 里更新界面会崩溃"_s, u"%1 退出时程序卡死"_s, u"怎样安全地在 %1 之间传数据"_s,
          u"%1 的 Terminate 为什么没有效果"_s},
         {u"TThread"_s, u"线程池"_s, u"TCriticalSection"_s, u"TEvent"_s, u"匿名线程"_s, u"PostMessage"_s},
         {u"界面只能在主线程里改，用 Synchronize 或者 Queue。"_s,
          u"Terminate 只是设置了标志，线程里要自己检查 Terminated 并退出循环。"_s,
          u"退出前先 Terminate 再 WaitFor，别在析构里等一个正在 Synchronize 的线程。"_s}},
        {61,
         {u"%1 收到的数据不完整"_s, u"%1 连接超时怎么设置"_s, u"用 %1 做文件传输，怎样断点续传"_s,
          u"%1 在外网访问不了"_s, u"%1 发中文乱码"_s},
         {u"TIdTCPClient"_s, u"TIdHTTP"_s, u"TClientSocket"_s, u"UDP 广播"_s, u"WinSock"_s, u"TIdTCPServer"_s},
         {u"TCP 是流，没有消息边界，要自己定义包头或者结束符来分包。"_s,
          u"断点续传就是先问服务器已经收到多少字节，然后从那个位置接着发。"_s,
          u"设置 ConnectTimeout 和 ReadTimeout 两个属性就行。"_s,
          u"发送前统一转成 UTF-8，接收方按 UTF-8 解码。"_s}},
        {63,
         {u"%1 怎么实现比较高效"_s, u"求一个 %1 的 Pascal 写法"_s, u"%1 的结果和预期不一样"_s},
         {u"快速排序"_s, u"二分查找"_s, u"MD5 校验"_s, u"最短路径"_s, u"字符串模糊匹配"_s, u"大数相乘"_s, u"哈希表"_s, u"CRC32"_s},
         {u"先把数据排好序，再用二分，复杂度是 O(log n)。"_s,
          u"递归太深会栈溢出，改成显式栈的循环写法。"_s,
          u"可以参考《算法导论》里的伪代码，直接翻译成 Pascal 就行。"_s}},
        {55,
         {u"%1 返回值总是 0"_s, u"%1 的参数是什么意思"_s, u"有没有和 %1 功能一样但更快的函数"_s, u"%1 在 Unicode 版本里的用法"_s},
         {u"Format"_s, u"StrToDateTime"_s, u"Copy"_s, u"Pos"_s, u"FileAge"_s, u"StringReplace"_s, u"IntToHex"_s},
         {u"按 F1 看帮助，里面有参数说明和例子。"_s,
          u"日期转换跟系统的区域设置有关，用 TFormatSettings 指定格式更稳妥。"_s,
          u"StringReplace 加上 rfReplaceAll 才会替换所有的。"_s}},
        {62,
         {u"调用 %1 失败，GetLastError 返回 5"_s, u"%1 在 Win10 下不起作用"_s, u"%1 怎么声明成 Delphi 的函数"_s, u"%1 的一个坑"_s},
         {u"CreateProcess"_s, u"SetWindowsHookEx"_s, u"RegisterHotKey"_s, u"ShellExecute"_s, u"CreateMutex"_s,
          u"SendMessage"_s},
         {u"错误 5 是拒绝访问，看看是不是需要管理员权限。"_s,
          u"声明时注意 stdcall 和参数类型，PChar 在 Unicode 版本里是 PWideChar。"_s,
          u"全局钩子必须放在 DLL 里。"_s}},
        {64,
         {u"%1 打印出来的页边距不对"_s, u"%1 怎么实现分组汇总"_s, u"%1 预览正常打印空白"_s, u"%1 导出 PDF"_s},
         {u"QuickReport"_s, u"FastReport"_s, u"ReportBuilder"_s, u"TPrinter"_s, u"Rave Reports"_s, u"打印预览窗口"_s, u"条码打印"_s},
         {u"页边距要按打印机的物理偏移量来算，用 GetDeviceCaps 取 PHYSICALOFFSETX。"_s,
          u"分组用 GroupHeader 和 GroupFooter 带，汇总字段放在 footer 里。"_s,
          u"换一个打印机驱动试试，有些虚拟打印机有这个问题。"_s}},
        {65,
         {u"%1 有什么好的推荐"_s, u"关于 %1 的一点经验分享"_s, u"%1 该怎么入门"_s, u"大家平时怎么做%1"_s},
         {u"代码格式化工具"_s, u"版本管理"_s, u"安装包制作"_s, u"单元测试"_s, u"程序加壳"_s, u"代码重构"_s, u"多语言界面"_s},
         {u"推荐 Inno Setup，脚本简单，中文支持也好。"_s,
          u"用 Git 就好，配合一个图形客户端上手很快。"_s,
          u"DUnit 或者 DUnitX 都可以，关键是要坚持写。"_s}},
    };
    return topics;
}

const QStringList Authors = {u"小林"_s, u"老猫"_s, u"delphi_fan"_s, u"张工"_s, u"编程的鱼"_s, u"Kevin"_s,
                             u"阿飞"_s, u"木头"_s};

const QStringList Openings = {
    u"最近在做一个小项目，遇到了这个问题。"_s,
    u"在网上找了很久都没找到合适的答案，请大家帮忙看看。"_s,
    u"公司的老项目要维护，之前没接触过这一块。"_s,
    u"自己写的练习程序，卡在这里好几天了。"_s,
};

const QStringList Environments = {u"Delphi 7，Windows XP"_s, u"Delphi 2010，Windows 7"_s, u"Delphi XE2，Windows 10"_s,
                                  u"C++Builder 6，Windows 7"_s, u"Delphi 10.3，Windows 10"_s};

const QStringList GenericAnswers = {u"我也遇到过，后来重装了一下组件包就好了。"_s, u"能把相关的代码贴出来看看吗？"_s,
                                    u"顶一下，同样关注这个问题。"_s, u"楼上说得对，我补充一点：记得先备份工程。"_s};

QString Pick(QRandomGenerator &random, const QStringList &list)
{
    return list.at(random.bounded(int(list.size())));
}

QString Stamp(const QDateTime &time)
{
    return time.toString(u"yyyy-MM-dd hh:mm:ss"_s);
}

void AddMember(TStore &store, const QString &user, const QString &nick, const QString &password, bool moderator)
{
    TMember member;
    member.UserName = user;
    member.NickName = nick;
    member.PassHash = PasswordHash::Make(Md5Text(password, 16));
    member.Email = user + u"@talvik.invalid"_s;
    member.Sex = u"保密"_s;
    member.IsManage = moderator;
    member.JiFen = moderator ? 500 : 100;
    store.AddMember(member);
}

QString RandomPassword(QRandomGenerator &random)
{
    return QString::number(random.generate64(), 36) + QString::number(random.generate64(), 36);
}

struct TDraft {
    TQuestion Question;
    QStringList Answers;
};

QList<TDraft> Drafts(QRandomGenerator &random)
{
    QList<TDraft> drafts;
    const QDateTime now = QDateTime::currentDateTime();
    QSet<QString> titles;
    for (int i = 0; drafts.size() < Questions && i < Questions * 20; ++i) {
        const TTopic &topic = Topics().at(i % Topics().size());
        const QString title = Pick(random, topic.Titles).arg(Pick(random, topic.Subjects));
        if (titles.contains(title))
            continue;
        titles.insert(title);
        TDraft draft;
        TQuestion &q = draft.Question;
        q.TypeId = topic.TypeId;
        q.Title = HtmlText::Escape(title); // plain blanks: the client lists titles as they are
        q.Content = HtmlEncode(Pick(random, Openings) + u"\r\n问题是："_s + title + u"\r\n开发环境："_s
                                         + Pick(random, Environments) + u"\r\n先谢谢各位了！"_s);
        q.NickName = Pick(random, Authors);
        q.Marks = QList<int>{0, 5, 10, 20, 30, 50}.at(random.bounded(6));
        q.Recommended = random.bounded(100) < 15;
        const QDateTime asked = now.addSecs(-qint64(random.bounded(120 * 24 * 3600)));
        q.Date = Stamp(asked);
        const int answers = random.bounded(5);
        for (int a = 0; a < answers; ++a)
            draft.Answers << HtmlEncode(Pick(random, random.bounded(3) ? topic.Answers : GenericAnswers));
        drafts.append(draft);
    }
    std::sort(drafts.begin(), drafts.end(), [](const TDraft &a, const TDraft &b) { return a.Question.Date < b.Question.Date; });
    return drafts;
}

void AddContent(TStore &store, QRandomGenerator &random)
{
    for (TDraft &draft : Drafts(random)) {
        store.AddQuestion(draft.Question);
        QDateTime when = QDateTime::fromString(draft.Question.Date, u"yyyy-MM-dd hh:mm:ss"_s);
        for (const QString &content : draft.Answers) {
            when = when.addSecs(600 + random.bounded(2 * 24 * 3600));
            TAnswer answer;
            answer.QuestionId = draft.Question.Id;
            answer.NickName = Pick(random, Authors + QStringList{u"管理员"_s});
            answer.Content = content;
            answer.Date = Stamp(when);
            store.AddAnswer(answer);
        }
    }
}

void AddSharing(TStore &store)
{
    const QList<TSharedUrl> urls = {
        {0, u"老猫"_s, u"Delphi&nbsp;官方文档"_s, u"https://docwiki.embarcadero.com/"_s, 54, {}, u"2024-01-05"_s},
        {0, u"小林"_s, u"Indy&nbsp;项目主页"_s, u"https://www.indyproject.org/"_s, 61, {}, u"2024-01-12"_s},
        {0, u"delphi_fan"_s, u"SQLite&nbsp;文档"_s, u"https://www.sqlite.org/docs.html"_s, 59, {}, u"2024-02-01"_s},
        {0, u"张工"_s, u"Windows&nbsp;API&nbsp;索引"_s, u"https://learn.microsoft.com/windows/win32/api/"_s, 62, {},
         u"2024-02-20"_s},
    };
    for (TSharedUrl url : urls)
        store.AddSharedUrl(url);
    const QList<TReport> reports = {
        {0, u"管理员"_s, u"广告机器人"_s, u"10000001"_s, u"群里反复发广告"_s, u"2024-02-11"_s},
        {0, u"管理员"_s, u"小号甲"_s, u"10000002"_s, u"冒充管理员骗取账号"_s, u"2024-03-02"_s},
    };
    for (TReport report : reports)
        store.AddReport(report);
}

void AddNotices(TStore &store)
{
    store.AddNotice(u"欢迎使用Talvik问答知识库"_s, u"欢迎加入社区！提问前先搜一搜，说不定已经有答案了。"_s);
    store.AddNotice(u"社区规则"_s, u"请文明发言，不要发广告。违规的 QQ 群成员会被列入群黑名单。"_s);
    store.AddNotice(u"新功能"_s, u"现在可以在客户端里直接分享网址了，分享的网址会出现在“网址列表”里。"_s);
    store.AddNotice(u"维护通知"_s, u"服务器每周日凌晨 2 点例行维护，届时可能无法登录。"_s);
}
} // namespace

bool DemoSeed::Seed(TStore &store)
{
    if (store.FindMember(u"demo"_s))
        return false;
    QRandomGenerator random(482);
    store.InTransaction([&] {
        AddMember(store, u"demo"_s, u"演示用户"_s, u"demo123"_s, false);
        AddMember(store, u"admin"_s, u"管理员"_s, u"admin123"_s, true);
        for (const QString &author : Authors)
            AddMember(store, u"user"_s + QString::number(Authors.indexOf(author) + 1), author, RandomPassword(random), false);
        // The client's file transfer always announces this account.
        AddMember(store, u"lumo482"_s, u"lumo482"_s, RandomPassword(random), false);
        AddContent(store, random);
        AddSharing(store);
        AddNotices(store);
    });
    return true;
}
