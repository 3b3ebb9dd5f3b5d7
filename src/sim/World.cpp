// The simulated racing world (filled by the simulator).
namespace kv::sim {}
