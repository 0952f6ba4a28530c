// The transfer is built in its own step; this unit keeps the library
// target in place until then.
namespace rubso {}
