// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/shell/Facility.h"

#include "core/register/Columns.h"
#include "core/register/CodePage.h"
#include "core/register/Dataset.h"

namespace Facility {

namespace {
const QString kCode = Columns::tesiskodu;
const QString kName = Columns::tesisadi;
const QString kActive = Columns::aktif;
constexpr int kNameMaxLength = 50;
} // namespace

bool isSetUp(const Dataset& ayar)
{
    return ayar.isOpen() && !ayar.isEmpty() && ayar.integer(kActive) == 1;
}

QString code(const Dataset& ayar)
{
    return ayar.text(kCode);
}

QString name(const Dataset& ayar)
{
    return ayar.text(kName);
}

std::optional<QString> checkCode(const QString& code)
{
    if (code.size() != 5)
        return kBadCode;
    return std::nullopt;
}

std::optional<QString> checkName(const QString& name)
{
    if (name.size() < 5)
        return kShortName;
    return std::nullopt;
}

std::optional<QString> checkNewName(const QString& name)
{
    if (name.size() < 5 || name.size() > kNameMaxLength)
        return kBadNewName;
    return std::nullopt;
}

Dialogs::TextRequest renameRequest(const QString& current)
{
    Dialogs::TextRequest request;
    request.caption = QStringLiteral("Tesis Adı Değiştir");
    request.prompt = QStringLiteral("Yeni Tesis Adını Giriniz:");
    request.preset = current;
    request.maxLength = kNameMaxLength;
    request.keep = [](const QString& text) { return CodePage::keepFitting(text); };
    return request;
}

Stored store(Dataset& ayar, const QString& code, const QString& name)
{
    // Several desks on one register: another may have set the facility up
    // while this clerk was typing.
    const auto setElsewhere = [&ayar] {
        ayar.catchUp();
        ayar.first();
        return isSetUp(ayar);
    };
    if (setElsewhere())
        return Stored::SetElsewhere;
    if (!ayar.edit())
        return Stored::Refused;
    ayar.setText(kName, name);
    ayar.setText(kCode, code);
    ayar.setInteger(kActive, 1);
    try {
        return ayar.post() ? Stored::Done : Stored::Refused;
    } catch (const StoreConflict&) {
        // The other desk's row came first, at the same moment.
        ayar.cancel();
        return setElsewhere() ? Stored::SetElsewhere : Stored::Refused;
    }
}

QString setElsewhereText(const Dataset& ayar)
{
    return kSetElsewhere.arg(code(ayar), name(ayar));
}

bool rename(Dataset& ayar, const QString& name)
{
    if (!ayar.edit())
        return false;
    ayar.setText(kName, name);
    return ayar.post();
}

std::optional<QString> renameAsking(Dataset& ayar, Dialogs& dialogs)
{
    const QString current = name(ayar);
    const QString typed = dialogs.inputText(renameRequest(current)).value_or(current);
    if (const auto refused = checkNewName(typed)) {
        dialogs.inform(*refused);
        return std::nullopt;
    }
    if (!rename(ayar, typed))
        return std::nullopt;
    return typed;
}

} // namespace Facility
