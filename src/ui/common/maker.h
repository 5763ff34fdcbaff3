#pragma once

// The maker's details, shown in the About window and behind the logo. Placeholders on the
// reserved example domain until the real ones are known; kept here and nowhere else.
namespace ui::maker {

inline constexpr const char *Name = "Example Sign Systems";
inline constexpr const char *Email = "support@example.com";
inline constexpr const char *HomePage = "https://www.example.com/";

} // namespace ui::maker
