#include "common/ContactRecord.h"

namespace {

using Field = RecordField<ContactRecord>;

constexpr std::array<Field, 27> kLayout{{
    {"ContactName", 0, 32, &ContactRecord::ContactName},
    {"PictureFile", 32, 64, &ContactRecord::PictureFile},
    {"CallerName", 96, 40, &ContactRecord::CallerName},
    {"CallerNumber", 136, 40, &ContactRecord::CallerNumber},
    {"CallHandling", 176, 1, &ContactRecord::CallHandling},
    {"AnswerEnabled", 177, 1, &ContactRecord::AnswerEnabled},
    {"Reserved7", 178, 1, &ContactRecord::Reserved7},
    {"GreetingFile", 179, 64, &ContactRecord::GreetingFile},
    {"AnswerRings", 243, 2, &ContactRecord::AnswerRings},
    {"AnswerBeep", 245, 1, &ContactRecord::AnswerBeep},
    {"EmergencyMark", 246, 1, &ContactRecord::EmergencyMark},
    {"EventsMode", 247, 1, &ContactRecord::EventsMode},
    {"ShowLineControl", 248, 1, &ContactRecord::ShowLineControl},
    {"ShowCallDetails", 249, 1, &ContactRecord::ShowCallDetails},
    {"DisplayStyle", 250, 1, &ContactRecord::DisplayStyle},
    {"PlayCallSound", 251, 1, &ContactRecord::PlayCallSound},
    {"SoundFile", 252, 64, &ContactRecord::SoundFile},
    {"SayText", 316, 1, &ContactRecord::SayText},
    {"SpeechText", 317, 128, &ContactRecord::SpeechText},
    {"ActionsMode", 445, 1, &ContactRecord::ActionsMode},
    {"ForwardToMail", 446, 1, &ContactRecord::ForwardToMail},
    {"MailAction", 447, 1, &ContactRecord::MailAction},
    {"MailTo", 448, 64, &ContactRecord::MailTo},
    {"ForwardToApp", 512, 1, &ContactRecord::ForwardToApp},
    {"AppAction", 513, 1, &ContactRecord::AppAction},
    {"AppCommand", 514, 256, &ContactRecord::AppCommand},
    {"Notes", 770, 1024, &ContactRecord::Notes},
}};
static_assert(FixedRecord::isContiguous(kLayout, ContactRecord::Size));

} // namespace

ContactRecord::ContactRecord()
{
    FixedRecord::clear(*this, kLayout);
}

const std::array<RecordField<ContactRecord>, 27>& ContactRecord::layout()
{
    return kLayout;
}

QByteArray ContactRecord::toBytes() const
{
    return FixedRecord::encode(*this, kLayout, Size);
}

ContactRecord ContactRecord::fromBytes(QByteArrayView bytes)
{
    if (bytes.size() != Size)
        return ContactRecord(); // never a partial record: every field unset
    return FixedRecord::decode(bytes, kLayout);
}
