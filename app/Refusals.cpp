#include "app/Refusals.h"

#include "app/Texts.h"
#include "platform/FileSystem.h"

namespace zwf {

std::string_view WhyRefused(std::error_code error, bool linking) {
    using std::errc;
    static constexpr struct {
        errc condition;
        std::string_view text;
    } kReasons[] = {
        {errc::no_space_on_device, texts::kDiskFull},
        {errc::read_only_file_system, texts::kReadOnlyFileSystem},
        {errc::permission_denied, texts::kNoPermission},
        {errc::operation_not_permitted, texts::kNotPermitted},
        {errc::cross_device_link, texts::kOtherFileSystem},
        {errc::not_supported, texts::kNoHardLinks},
        {errc::too_many_links, texts::kTooManyNames},
        {errc::device_or_resource_busy, texts::kInUse},
        {errc::io_error, texts::kIoError},
    };
    if (error == FsError::LinkProtected)
        return texts::kProtectedHardLink;
    if (linking && error == errc::operation_not_permitted)
        return texts::kLinkNotPermitted;
    for (const auto& reason : kReasons)
        if (error == reason.condition)
            return reason.text;
    return texts::kRefused;
}

}  // namespace zwf
