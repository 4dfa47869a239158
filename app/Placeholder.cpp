// The driver library; its sources come with the command-line run.
namespace kestro {}
