// Placeholder translation unit until the exported interface lands.
namespace vzv {
int LibraryVersion() noexcept { return 1; }
}  // namespace vzv
