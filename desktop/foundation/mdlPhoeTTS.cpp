#include "desktop/foundation/mdlPhoeTTS.h"

#include "common/CallTemplate.h"

QString ExpandTTSText(const QString& text, const CallInfo& call)
{
    return FillCallTemplate(text, call, TemplateRule::Desktop);
}
