#include "OutputForm.h"

std::string OutputForm::Bytes(const std::string& utf8) const
{
    if (!Unicode)
        return platform::Utf8ToGbk(utf8);
    // The mark tells every C++Builder since 2009, and any editor, that the
    // file is UTF-8, whatever code page the machine has.
    return "\xEF\xBB\xBF" + utf8;
}

bool OutputForm::CanHold(const std::string& utf8) const
{
    if (!Unicode)
        return platform::GbkCanHold(utf8);
    for (std::size_t i = 0; i < utf8.size(); ++i)
        if (platform::UnpairedSurrogateAt(utf8, i))
            return false;
    return true;
}

std::vector<platform::Field> OutputForm::Fields() const
{
    return {{"L", LiteralPrefix()}, {"MessageBox", MessageBoxCall()}};
}

std::string FillForm(const std::string& text, std::vector<platform::Field> fields,
                     const OutputForm& form)
{
    for (platform::Field& f : form.Fields())
        fields.push_back(std::move(f));
    return platform::FillFields(text, fields);
}
