#include "ui/unit.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QFont>
#include <QVariant>
#include <QWidget>

namespace {

struct KindName
{
    UnitKind kind;
    const char16_t *name;
};

const KindName kindNames[] = {
    {UnitKind::GraphicButton, u"图形按钮"},
    {UnitKind::TransparentLabel, u"透明标签"},
    {UnitKind::Label, u"标签"},
    {UnitKind::EditBox, u"编辑框"},
    {UnitKind::ShapeBox, u"外形框"},
    {UnitKind::PictureBox, u"图片框"},
    {UnitKind::DrawingBoard, u"画板"},
    {UnitKind::ComboBox, u"组合框"},
    {UnitKind::DateBox, u"日期框"},
    {UnitKind::ListView, u"列表框"},
    {UnitKind::SuperEditBox, u"超级编辑框"},
    {UnitKind::AnimationBox, u"动画框"},
    {UnitKind::FileDialog, u"通用对话框"},
    {UnitKind::Timer, u"时钟"},
    {UnitKind::Grid, u"表格"},
    {UnitKind::DataSource, u"数据源"},
    {UnitKind::GenericProvider, u"通用提供者"},
    {UnitKind::DatabaseProvider, u"数据库提供者"},
    {UnitKind::StyledMenu, u"超级菜单"},
};

const char kindProperty[] = "unitKind";
const char tagProperty[] = "tag";
const char designRectProperty[] = "designRect";

} // namespace

QString unitKindName(UnitKind kind)
{
    for (const KindName &k : kindNames)
        if (k.kind == kind)
            return QString::fromUtf16(k.name);
    return {};
}

UnitKind unitKindFromName(const QString &name)
{
    for (const KindName &k : kindNames)
        if (name == QString::fromUtf16(k.name))
            return k.kind;
    return UnitKind::None;
}

UnitKind unitKind(const QObject *unit)
{
    if (!unit)
        return UnitKind::None;
    const QVariant v = unit->property(kindProperty);
    return v.isValid() ? static_cast<UnitKind>(v.toInt()) : UnitKind::None;
}

void setUnitKind(QObject *unit, UnitKind kind)
{
    unit->setProperty(kindProperty, static_cast<int>(kind));
}

QString unitTag(const QObject *unit)
{
    return unit ? unit->property(tagProperty).toString() : QString();
}

void setUnitTag(QObject *unit, const QString &tag)
{
    unit->setProperty(tagProperty, tag);
}

QRect unitGeometry(const QObject *unit)
{
    if (!unit)
        return {};
    if (auto *widget = qobject_cast<const QWidget *>(unit))
        return widget->geometry();
    return unit->property(designRectProperty).toRect();
}

void setUnitDesignRect(QObject *unit, const QRect &rect)
{
    unit->setProperty(designRectProperty, rect);
}

void useChineseTexts()
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    auto *texts = new QTranslator(qApp);
    if (texts->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(texts);
    else
        delete texts;
}

void useProgramFont()
{
    const QString song = QStringLiteral("宋体");
    QFont::insertSubstitution(song, QStringLiteral("Noto Serif CJK SC"));
    QFont font(song);
    font.setPixelSize(12);
    QApplication::setFont(font);
}
