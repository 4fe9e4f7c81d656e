// Under node the runtime reads the .wasm from its file: node's own fetch
// takes no file paths, so the runtime must not see it.
var fetch;
