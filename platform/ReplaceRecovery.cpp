#include "platform/ReplaceRecovery.h"

namespace brelko::fileos {

ReplaceStep NextReplaceStep(const ReplaceState& s) {
    if (s.targetExists) return s.replacementExists ? ReplaceStep::KeepTarget : ReplaceStep::Done;
    if (s.replacementExists && !s.moveFailed) return ReplaceStep::MoveReplacement;
    if (s.backupExists && !s.restoreFailed) return ReplaceStep::RestoreOriginal;
    return ReplaceStep::Stranded;
}

}  // namespace brelko::fileos
