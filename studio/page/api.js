// The studio's HTTP API. Every request carries the token the page's address
// came with; an answer that is not JSON or not 2xx becomes an ApiError that
// names what the server said.
const token = new URLSearchParams(location.search).get('token') || '';

export class ApiError extends Error {
  constructor(status, body) {
    super((body && body.error) || `HTTP ${status}`);
    this.status = status;
    this.body = body || {};
  }
}

async function call(method, path, body) {
  const init = { method, headers: { 'X-Studio-Token': token } };
  if (body !== undefined) {
    init.headers['Content-Type'] = 'application/json';
    init.body = JSON.stringify(body);
  }
  const response = await fetch(path, init);
  let json = null;
  try {
    json = await response.json();
  } catch {
    json = { error: `the server answered ${response.status} without JSON` };
  }
  if (!response.ok) throw new ApiError(response.status, json);
  return json;
}

export const getOptions = () => call('GET', '/api/options');
export const getParts = () => call('GET', '/api/parts');
export const getProject = () => call('GET', '/api/project');
export const getStatus = () => call('GET', '/api/status');
export const saveProject = (project, etag) => call('PUT', '/api/project', { project, etag });
export const render = (project) => call('POST', '/api/render', { project });
export const exportRun = (project) => call('POST', '/api/export', { project });
