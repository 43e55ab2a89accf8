#include "platform/Reasons.h"

#include "platform/FileServices.h"

#include <cerrno>

namespace kelvanter {

Reason reasonOf(int error) {
    switch (error) {
    case 0:
        return Reason::None;
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
    case kNotARegularFile:
    case kFileReplaced:
        return Reason::NoFileThere;
    case EBUSY:
        return Reason::Busy;
    case EEXIST:
        return Reason::NameTaken;
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return Reason::NoRoom;
    case EOPNOTSUPP:
        return Reason::Unsupported;
    case ENOTEMPTY:
        return Reason::NotEmpty;
    case kRunCancelled:
        return Reason::Cancelled;
    default:
        return Reason::Other;
    }
}

} // namespace kelvanter
