#include "skin/SkinData.h"

#include "system/Exception.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

namespace platform {
namespace {

QString rgbText(palette::Rgb rgb) {
    return QStringLiteral("rgb(%1, %2, %3)").arg(rgb.red).arg(rgb.green).arg(rgb.blue);
}

QString familyText(const palette::Font& font) {
    return QLatin1Char('"') +
           QString::fromLatin1(font.family.data(), qsizetype(font.family.size())) +
           QLatin1Char('"');
}

const QHash<QString, QString>& templateValues() {
    static const QHash<QString, QString> values = [] {
        QHash<QString, QString> table;
        for (const palette::NamedColour& named : palette::NamedColours)
            table.insert(QString::fromLatin1(named.name.data(), qsizetype(named.name.size())),
                         rgbText(named.colour));
        table.insert(QStringLiteral("ControlFontFamily"), familyText(palette::ControlFont));
        table.insert(QStringLiteral("ControlFontSize"),
                     QStringLiteral("%1px").arg(palette::ControlFont.pixelSize));
        table.insert(QStringLiteral("WindowFontFamily"), familyText(palette::WindowFont));
        table.insert(QStringLiteral("WindowFontSize"),
                     QStringLiteral("%1px").arg(palette::WindowFont.pixelSize));
        table.insert(QStringLiteral("PanelBorderWidth"),
                     QString::number(palette::PanelBorderWidth));
        table.insert(QStringLiteral("ToolPanelBorderWidth"),
                     QString::number(palette::ToolPanelBorderWidth));
        return table;
    }();
    return values;
}

} // namespace

QString styleSheetFromTemplate(const QString& styleTemplate) {
    static const QRegularExpression placeholder(QStringLiteral("@([A-Za-z]+)@"));
    QString sheet;
    qsizetype copied = 0;
    for (const QRegularExpressionMatch& match : placeholder.globalMatch(styleTemplate)) {
        const auto value = templateValues().constFind(match.captured(1));
        if (value == templateValues().constEnd())
            throw Exception("Unknown skin value @" + match.captured(1).toStdString() + "@");
        sheet += QStringView(styleTemplate).mid(copied, match.capturedStart() - copied);
        sheet += *value;
        copied = match.capturedEnd();
    }
    sheet += QStringView(styleTemplate).mid(copied);
    return sheet;
}

void TbsCompressedSkinList::addFromFile(const QString& name, const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception("Cannot open skin " + fileName.toStdString());
    skins_.append({name, styleSheetFromTemplate(QString::fromUtf8(file.readAll())), FrameLook{}});
}

void TbsSkinData::setCompressedStoredSkin(const TbsCompressedSkinList* list, int index) {
    list_ = list;
    index_ = index;
}

const TbsCompressedSkinList::Skin* TbsSkinData::selected() const {
    if (!list_ || index_ < 0 || index_ >= list_->skins().size())
        return nullptr;
    return &list_->skins()[index_];
}

QString TbsSkinData::skinName() const {
    const auto* skin = selected();
    return skin ? skin->name : QString();
}

FrameLook TbsSkinData::frameLook() const {
    const auto* skin = selected();
    return skin ? skin->frame : FrameLook{};
}

void TbsSkinData::apply(QWidget* form) const {
    const auto* skin = selected();
    if (!skin)
        return;
    form->setStyleSheet(skin->styleSheet);
    // Style sheet properties (border widths, colours) take effect at polish.
    form->ensurePolished();
    for (QWidget* child : form->findChildren<QWidget*>())
        child->ensurePolished();
}

} // namespace platform
