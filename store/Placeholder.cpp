// The store library; its sources come with their issue.
namespace kestro {}
