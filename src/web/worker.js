// The page's worker: one program run (kestro, or kestro-dump for the report)
// in a module of its own, its files in memory. It posts every line the
// program prints as it comes, then the exit code and the files asked for.
// createKestro, the module's maker, stands above this in the same script.
'use strict';
self.onmessage = async (event) => {
  const job = event.data;  // {args, files: [{path, data}], outputs: [path]}
  const base = '/work';
  const post = (message, transfer) => self.postMessage(message, transfer || []);
  try {
    const module = await createKestro({
      noInitialRun: true,
      print: (text) => post({line: text, stream: 'out'}),
      printErr: (text) => post({line: text, stream: 'err'}),
    });
    const FS = module.FS;
    FS.mkdirTree(base);
    for (const file of job.files) {
      const path = base + '/' + file.path;
      FS.mkdirTree(path.slice(0, path.lastIndexOf('/')));
      FS.writeFile(path, file.data);
    }
    FS.chdir(base);
    const exitCode = module.callMain(job.args);
    const outputs = {};
    const transfer = [];
    for (const path of job.outputs) {
      try {
        outputs[path] = FS.readFile(base + '/' + path);
        transfer.push(outputs[path].buffer);
      } catch (error) {
        outputs[path] = null;
      }
    }
    post({done: true, exitCode, outputs}, transfer);
  } catch (error) {
    post({done: true, exitCode: null, outputs: {}, error: String((error && error.message) || error)});
  }
};
